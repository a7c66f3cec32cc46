// The ids of the resources in flakemorph.rc, shared with the code that uses them.
#pragma once

#define IDS_DESCRIPTION 1
#define IDD_SETTINGS 100
#define IDC_RATE 101
#define IDC_RATE_VALUE 102
#define IDC_SHOW_FPS 103
#define IDC_PRIMARY_ONLY 104
