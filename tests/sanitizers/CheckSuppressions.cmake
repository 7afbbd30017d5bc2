# Run with cmake -DDIR=<tests/sanitizers> -P: every suppression names one function (never a whole
# library) and the line before it says why.
file(GLOB files ${DIR}/*.supp)
foreach(file ${files})
  file(STRINGS ${file} lines)
  set(previous "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[a-z_]+:(.*)$")
      set(pattern ${CMAKE_MATCH_1})
      # A function name: qualified, or a C name with an underscore or a capital inside; a library
      # or a bare word would match every frame of a whole module.
      if(pattern MATCHES "\\.so|^lib|[^A-Za-z0-9_:~]" OR NOT pattern MATCHES "::|_|[a-z][A-Z]")
        message(SEND_ERROR "${file}: '${line}' does not name one function")
      endif()
      if(NOT previous MATCHES "^#")
        message(SEND_ERROR "${file}: '${line}' has no comment saying why")
      endif()
    endif()
    set(previous "${line}")
  endforeach()
endforeach()
