# The two programs. Their own logic lives in a library of each, so that the
# tests can call the entry functions; the Windows build adds the real entry
# points and the resources. The uninstaller is built first: the installer
# carries it.
file(GLOB INSTALLER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/installer/*.cpp)
list(FILTER INSTALLER_SOURCES EXCLUDE REGEX "/winmain\\.cpp$")
file(GLOB UNINSTALLER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/uninstaller/*.cpp)
list(FILTER UNINSTALLER_SOURCES EXCLUDE REGEX "/winmain\\.cpp$")

add_library(installer_core STATIC ${INSTALLER_SOURCES})
target_include_directories(installer_core PUBLIC ${CMAKE_SOURCE_DIR}/installer ${CMAKE_SOURCE_DIR}/installer/res)
target_link_libraries(installer_core PUBLIC setupkit)

add_library(uninstaller_core STATIC ${UNINSTALLER_SOURCES})
target_include_directories(uninstaller_core PUBLIC ${CMAKE_SOURCE_DIR}/uninstaller)
target_link_libraries(uninstaller_core PUBLIC setupkit)

set(VELODAR_PROGRAM_LIBRARIES installer_core uninstaller_core)

if(NOT VELODAR_SIM)
  # The icon, manifest and version block live once, in installer/res/.
  set(SHARED_RESOURCES ${CMAKE_SOURCE_DIR}/installer/res/common.rc ${CMAKE_SOURCE_DIR}/installer/res/version_block.rc
      ${CMAKE_SOURCE_DIR}/installer/res/velodar.ico ${CMAKE_SOURCE_DIR}/installer/res/velodar.manifest
      ${CMAKE_SOURCE_DIR}/installer/res/resource.h)
  set(UNINSTALLER_RC ${CMAKE_SOURCE_DIR}/uninstaller/res/uninstaller.rc)
  set_source_files_properties(${UNINSTALLER_RC} PROPERTIES OBJECT_DEPENDS "${SHARED_RESOURCES}")
  add_executable(uninstall_Velodar WIN32 ${CMAKE_SOURCE_DIR}/uninstaller/winmain.cpp ${UNINSTALLER_RC})
  target_include_directories(uninstall_Velodar PRIVATE ${CMAKE_SOURCE_DIR}/installer/res)
  target_link_libraries(uninstall_Velodar PRIVATE uninstaller_core)
  set_target_properties(uninstall_Velodar PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/uninstaller)
  set(UNINSTALLER_FILE ${CMAKE_BINARY_DIR}/uninstaller/uninstall_Velodar.exe)

  # The application: a vendor's payload/Velodar.exe when there is one, else
  # the stand-in built from payload/standin/.
  if(EXISTS ${CMAKE_SOURCE_DIR}/payload/Velodar.exe)
    set(APPLICATION_FILE ${CMAKE_SOURCE_DIR}/payload/Velodar.exe)
  else()
    add_executable(velodar_standin WIN32 ${CMAKE_SOURCE_DIR}/payload/standin/velodar_standin.cpp)
    target_link_libraries(velodar_standin PRIVATE ws2_32 advapi32)
    set_target_properties(velodar_standin PROPERTIES OUTPUT_NAME Velodar
                          RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/payload)
    set(APPLICATION_FILE ${CMAKE_BINARY_DIR}/payload/Velodar.exe)
  endif()
  set(TERMS_FILE ${CMAKE_SOURCE_DIR}/payload/licence.txt)
  set(MOVIE_FILE ${CMAKE_SOURCE_DIR}/payload/mov.dat)

  # The resource script names the payload through this header; windres reads
  # the files, CMake does not see them, hence OBJECT_DEPENDS below.
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/generated/payload_files.h CONTENT
"#define PAYLOAD_FILE_APPLICATION \"${APPLICATION_FILE}\"
#define PAYLOAD_FILE_UNINSTALLER \"${UNINSTALLER_FILE}\"
#define PAYLOAD_FILE_TERMS \"${TERMS_FILE}\"
#define PAYLOAD_FILE_MOVIE \"${MOVIE_FILE}\"
")

  set(INSTALLER_RC ${CMAKE_SOURCE_DIR}/installer/res/installer.rc)
  set_source_files_properties(${INSTALLER_RC} PROPERTIES OBJECT_DEPENDS
    "${APPLICATION_FILE};${UNINSTALLER_FILE};${TERMS_FILE};${MOVIE_FILE};${CMAKE_SOURCE_DIR}/installer/res/welcome.bmp;${SHARED_RESOURCES};${CMAKE_BINARY_DIR}/generated/payload_files.h")

  add_executable(VelodarInstaller WIN32 ${CMAKE_SOURCE_DIR}/installer/winmain.cpp ${INSTALLER_RC})
  target_include_directories(VelodarInstaller PRIVATE ${CMAKE_SOURCE_DIR}/installer/res ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(VelodarInstaller PRIVATE installer_core)
  set_target_properties(VelodarInstaller PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/installer)
  add_dependencies(VelodarInstaller uninstall_Velodar)
  if(TARGET velodar_standin)
    add_dependencies(VelodarInstaller velodar_standin)
  endif()
endif()
