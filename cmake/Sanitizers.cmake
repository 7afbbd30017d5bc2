# nr_sanitizer_list(<value> <out>): the sanitizers a value of NR_SANITIZE names, as a CMake list.
# The value is a list of address, undefined and thread, separated by ';' or ','; thread goes
# without address. Anything else stops the configuration, so a typo never gives a build without
# the checks it was asked for.
function(nr_sanitizer_list value out)
  string(REPLACE "," ";" names "${value}")
  list(REMOVE_ITEM names "")
  list(REMOVE_DUPLICATES names)
  foreach(s IN LISTS names)
    if(NOT s MATCHES "^(address|undefined|thread)$")
      message(FATAL_ERROR "NR_SANITIZE: unknown sanitizer '${s}' (use address, undefined, thread)")
    endif()
  endforeach()
  if("thread" IN_LIST names AND "address" IN_LIST names)
    message(FATAL_ERROR "NR_SANITIZE: thread and address cannot be combined")
  endif()
  set(${out} "${names}" PARENT_SCOPE)
endfunction()
