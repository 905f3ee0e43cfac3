# cmake -DSOURCE=site/index.html -DPAGE_FILES=page-files.txt -DDATA_FILES=site-data.txt
#       -DWARNING=page-warning.txt -DOUTPUT=index.html -P preload_links.cmake
#
# Writes the site's index.html with, in place of its "<!-- preloads -->"
# line, the links that let the browser fetch the page's modules (those of
# page/, which every mode loads) and the data the page reads first (the
# first file that pack-site lists) as soon as it reads the head: without
# them, each module is asked for only once the one that imports it has
# arrived, a round trip each on a slow link. The name and size of the data
# file the page reads after the first go beside them: the page reckons how
# long the show waits on a slow link before that file's own header comes.
# The warning of the first screen, in HTML, stands in place of
# "<!-- warning -->": docs/words.txt holds it.
file(STRINGS ${PAGE_FILES} pages)
file(STRINGS ${DATA_FILES} data)
set(links "")
foreach(file ${pages})
  if(file MATCHES "^page/.*[.]js$")
    string(APPEND links "<link rel=\"modulepreload\" href=\"${file}\">\n")
  endif()
endforeach()
list(GET data 0 first)
list(GET data 1 rest)
# As the page's fetch asks for it (same origin, CORS mode), so that it takes
# this one; the page reads the names of both data files from here.
string(APPEND links "<link rel=\"preload\" href=\"${first}\" as=\"fetch\" crossorigin>\n")
get_filename_component(folder ${DATA_FILES} DIRECTORY)
file(SIZE ${folder}/${rest} rest_bytes)
string(APPEND links "<meta name=\"orvel-rest-data\" content=\"${rest}\" data-bytes=\"${rest_bytes}\">\n")
file(READ ${SOURCE} html)
string(FIND "${html}" "<!-- preloads -->\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${SOURCE} has no \"<!-- preloads -->\" line")
endif()
string(REPLACE "<!-- preloads -->\n" "${links}" html "${html}")
file(READ ${WARNING} warning)
string(STRIP "${warning}" warning)
string(FIND "${html}" "<!-- warning -->" at)
if(at EQUAL -1 OR warning STREQUAL "")
  message(FATAL_ERROR "${SOURCE} has no \"<!-- warning -->\" or ${WARNING} no warning")
endif()
string(REPLACE "<!-- warning -->" "${warning}" html "${html}")
file(WRITE ${OUTPUT} "${html}")
