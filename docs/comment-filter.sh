#!/bin/sh
# Doxygen input filter: the headers explain themselves in plain // comments;
# a comment line that starts a line is read as documentation (///).
exec sed -E -e 's#^([[:space:]]*)// #\1/// #' -e 's#^([[:space:]]*)//$#\1///#' "$1"
