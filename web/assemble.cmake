# The one-file page from page.html: its stylesheet and scripts, the module
# (quillon.js, with the wasm inside) among them, put in its place.
#   cmake -DSOURCE=web -DMODULE=quillon.js -DPAGE=quillon.html -DVERSION=0.1 -P assemble.cmake
file(READ ${SOURCE}/page.html page)
file(READ ${SOURCE}/page.css style)
file(READ ${MODULE} module)
file(READ ${SOURCE}/page.js script)
# Inside <script>, "</script" would end it; "<\/script" is the same to JavaScript.
foreach(part module script)
  string(REPLACE "</script" "<\\/script" ${part} "${${part}}")
endforeach()
foreach(piece IN ITEMS [[<link rel="stylesheet" href="page.css">]] [[<script src="quillon.js"></script>]]
                       [[<script src="page.js"></script>]])
  string(FIND "${page}" "${piece}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "page.html has no ${piece}")
  endif()
endforeach()
string(REPLACE [[<link rel="stylesheet" href="page.css">]] "<style>\n${style}</style>" page "${page}")
string(REPLACE [[<script src="quillon.js"></script>]] "<script>\n${module}</script>" page "${page}")
string(REPLACE [[<script src="page.js"></script>]] "<script>\n${script}</script>" page "${page}")
string(REPLACE "@QUILLON_VERSION@" "${VERSION}" page "${page}")
file(WRITE ${PAGE}.new "${page}")
file(RENAME ${PAGE}.new ${PAGE})
