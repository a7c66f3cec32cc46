// flakemorph: opens the window over the whole screen and runs the animation in it until a
// key, a click or a close request ends the program.
#include <cstdio>
#include <cstring>

#include "animation/animation.h"
#include "app/sdl_window.h"
#include "figures/random_source.h"

namespace {

constexpr int kUsageErrorStatus = 2;

constexpr const char* kUsage =
    "Usage: flakemorph [--help | --version]\n"
    "\n"
    "Shows, over the whole screen, a symmetric flake of 360 coloured circles that spins,\n"
    "wanders about and, every few seconds, bursts and gathers into a new random flake.\n"
    "Any key, a click or closing the window ends it.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "With FLAKEMORPH_STATS=1 it prints the frame rate and its CPU share to stderr once a "
    "second.\n";

int AnswerArguments(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("flakemorph " FLAKEMORPH_VERSION);
    return 0;
  }
  std::fprintf(stderr, "flakemorph: unexpected argument '%s'\n\n%s", argv[1], kUsage);
  return kUsageErrorStatus;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) return AnswerArguments(argc, argv);
  flakemorph::SdlWindow f;
  f.WaitUntilShown();
  flakemorph::TimeSeededGenerator random;
  flakemorph::Animation animation(f, random);
  animation.Form_Activate();
  return 0;
}
