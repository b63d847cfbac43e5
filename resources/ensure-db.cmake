# Creates the empty collection database when the program folder has none.
if(NOT EXISTS "${DB}")
  execute_process(COMMAND "${RAILSDB}" create "${DB}" RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "railsdb could not create ${DB}")
  endif()
endif()
