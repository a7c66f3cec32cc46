# Writes a page from flakemorph.html.in: run as
#   cmake -DTEMPLATE=... -DOUTPUT=... [-DMODULE=flakemorph.wasm -DSCRIPT=flakemorph.js]
#         [-DSCRIPT_SOURCE=flakemorph.js] [-DOPTIONS=wallpaper] -P assemble_page.cmake
# With MODULE and SCRIPT the page holds both, the module in base64, and needs nothing beside it
# (from disk as from a server); with SCRIPT_SOURCE it loads the script, which fetches the module,
# from beside it. OPTIONS are the page's own, before those of its address.
file(READ ${TEMPLATE} page)
set(FLAKEMORPH_HTML_OPTIONS "")
if(OPTIONS)
  set(FLAKEMORPH_HTML_OPTIONS " data-options=\"${OPTIONS}\"")
endif()
set(FLAKEMORPH_MODULE_ELEMENT "")
set(FLAKEMORPH_SCRIPT "")
set(FLAKEMORPH_SCRIPT_SOURCE "")
if(MODULE)
  execute_process(COMMAND base64 -w 0 ${MODULE} OUTPUT_VARIABLE encoded COMMAND_ERROR_IS_FATAL ANY)
  set(FLAKEMORPH_MODULE_ELEMENT
      "<script id=\"flakemorph-module\" type=\"application/octet-stream\">${encoded}</script>")
  file(READ ${SCRIPT} FLAKEMORPH_SCRIPT)
else()
  set(FLAKEMORPH_SCRIPT_SOURCE " src=\"${SCRIPT_SOURCE}\"")
endif()
string(CONFIGURE "${page}" page @ONLY)
file(WRITE ${OUTPUT} "${page}")
