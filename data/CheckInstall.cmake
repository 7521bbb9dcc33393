cmake_minimum_required(VERSION 3.25)
# Installs the built tree into PREFIX and checks that the binary, the launcher,
# the MIME package, every hicolor icon, the metainfo and (when the source has
# one) the manual are in their places, and that the installed launcher and
# metainfo validate.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD_DIR} --prefix ${PREFIX} failed")
endif()

set(expected
    bin/quillet
    ${DATADIR}/applications/quillet.desktop
    ${DATADIR}/mime/packages/quillet.xml
    ${DATADIR}/icons/hicolor/scalable/apps/quillet.svg
    ${DATADIR}/metainfo/io.github.quillet.Quillet.metainfo.xml)
string(REPLACE "," ";" sizes "${ICON_SIZES}")
foreach(size ${sizes})
  list(APPEND expected ${DATADIR}/icons/hicolor/${size}x${size}/apps/quillet.png)
endforeach()
if(EXISTS ${SOURCE_DIR}/manual/manual.html)
  list(APPEND expected ${DATADIR}/doc/quillet/manual/manual.html)
else()
  message("data/manual/manual.html not in the source yet: manual not checked")
endif()

set(missing "")
foreach(file ${expected})
  if(NOT EXISTS ${PREFIX}/${file})
    list(APPEND missing ${file})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "missing after install: ${missing}")
endif()
execute_process(COMMAND test -x ${PREFIX}/bin/quillet RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "bin/quillet is not executable")
endif()

# Each PNG is the size its folder names (width and height in the IHDR chunk).
foreach(size ${sizes})
  file(READ ${PREFIX}/${DATADIR}/icons/hicolor/${size}x${size}/apps/quillet.png header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 32 8 width)
  string(SUBSTRING "${header}" 40 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  if(NOT width EQUAL size OR NOT height EQUAL size)
    message(FATAL_ERROR "${size}x${size}/apps/quillet.png is ${width}x${height}")
  endif()
endforeach()

# The menu entry starts the installed program and names the installed icon.
file(STRINGS ${PREFIX}/${DATADIR}/applications/quillet.desktop entry)
if(NOT "Exec=quillet %f" IN_LIST entry OR NOT "Icon=quillet" IN_LIST entry)
  message(FATAL_ERROR "quillet.desktop does not start quillet with its icon: ${entry}")
endif()

# Started as the menu entry starts it (by name, from PATH), the installed
# program comes up on a fresh home, creates its database and keeps running.
set(home ${PREFIX}-home)
file(REMOVE_RECURSE ${home})
file(MAKE_DIRECTORY ${home})
execute_process(COMMAND env PATH=${PREFIX}/bin:$ENV{PATH} QT_QPA_PLATFORM=offscreen QUILLET_HOME=${home}/ quillet
                TIMEOUT 8 RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result MATCHES "timeout" OR NOT EXISTS ${home}/diary.mdb)
  message(FATAL_ERROR "the installed quillet did not start and stay up (${result}): ${errors}")
endif()
file(REMOVE_RECURSE ${home})

if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${PREFIX}/${DATADIR}/applications/quillet.desktop
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "installed quillet.desktop does not validate")
  endif()
else()
  message("desktop-file-validate not found: installed launcher not validated")
endif()
if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --strict
                          ${PREFIX}/${DATADIR}/metainfo/io.github.quillet.Quillet.metainfo.xml
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "installed metainfo does not validate")
  endif()
else()
  message("appstreamcli not found: installed metainfo not validated")
endif()
message("installed tree complete in ${PREFIX}")
