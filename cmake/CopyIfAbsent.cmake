# cmake -DSRC=... -DDST=... -P CopyIfAbsent.cmake: copies SRC to DST unless DST exists.
if(NOT EXISTS "${DST}")
  configure_file("${SRC}" "${DST}" COPYONLY)
endif()
