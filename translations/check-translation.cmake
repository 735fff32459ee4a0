# Fails when the English translation is not complete. lupdate reads today's
# sources into a copy of the .ts: a text it adds (unfinished), a text whose
# translation is missing or empty, and a text the sources no longer have
# (vanished or obsolete) each stop the build, named in the message.
#   cmake -DLUPDATE=… -DTS=…/orvane_en.ts -DSOURCES_LIST=…/translated_sources.cmake -DINCLUDE=…/src -DSTAMP=… -P check-translation.cmake
include(${SOURCES_LIST})  # SOURCES
get_filename_component(work ${STAMP} DIRECTORY)
file(MAKE_DIRECTORY ${work})
set(copy ${work}/orvane_en.ts)
file(REMOVE ${STAMP})
configure_file(${TS} ${copy} COPYONLY)
execute_process(COMMAND ${LUPDATE} -silent -locations none -I ${INCLUDE} ${SOURCES} -ts ${copy}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lupdate failed (${status}):\n${output}")
endif()
file(READ ${copy} ts)
# One message: its source, any comment or old source, then the translation's opening tag.
set(entry "<source>([^<]*)</source>[^<]*(<[a-z]+>[^<]*</[a-z]+>[^<]*)*")
string(REGEX MATCHALL "${entry}<translation type=\"(unfinished|vanished|obsolete)\"" flagged "${ts}")
string(REGEX MATCHALL "${entry}<translation( type=\"[a-z]+\")?>(</translation>|<numerusform></numerusform>)"
       empty "${ts}")
set(problems)
foreach(m IN LISTS flagged empty)
  string(REGEX REPLACE "^<source>([^<]*)</source>.*$" "\\1" source "${m}")
  set(kind "empty")
  if(m MATCHES "<translation type=\"([a-z]+)\"")
    set(kind "${CMAKE_MATCH_1}")
  endif()
  string(REPLACE "unfinished" "no English yet" kind "${kind}")
  list(APPEND problems "  ${source}  (${kind})")
endforeach()
list(REMOVE_DUPLICATES problems)
if(problems)
  list(JOIN problems "\n" text)
  message(FATAL_ERROR "The English translation ${TS} is not complete:\n${text}\n"
          "Bring new texts in with the target update_translations, translate them in the .ts, "
          "and remove those that are gone; lupdate's view of it: ${copy}")
endif()
file(TOUCH ${STAMP})
