# The application manifest as the exe carries it: the same XML without comments and
# without the blanks between elements (they are only for the reader of res/).
#   cmake -DIN=app.manifest -DOUT=app.min.manifest -P minify-manifest.cmake
file(READ ${IN} _xml)
string(REGEX REPLACE "<!--[^-]*-->" "" _xml "${_xml}")
string(REGEX REPLACE ">[ \t\r\n]+<" "><" _xml "${_xml}")
string(REGEX REPLACE "[\r\n]+[ \t]*" " " _xml "${_xml}")
string(STRIP "${_xml}" _xml)
file(WRITE ${OUT} "${_xml}")
