# cmake -DSRC=... -DDST=... -P copy_if_absent.cmake: copies SRC to DST only
# when DST does not exist, so the user's catalogue is never overwritten.
if(NOT EXISTS "${DST}")
  get_filename_component(dir "${DST}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${SRC}" "${DST}")
endif()
