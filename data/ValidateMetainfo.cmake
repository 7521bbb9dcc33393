cmake_minimum_required(VERSION 3.25)
# Validates the AppStream metainfo with appstreamcli, offline; any issue above
# the pedantic level fails. Reported as skipped (by its message) when
# appstreamcli is missing.
if(NOT APPSTREAMCLI)
  message("appstreamcli not found (Debian package appstream): metainfo not validated")
  return()
endif()
execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --strict ${METAINFO} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "appstreamcli validate failed for ${METAINFO}")
endif()
