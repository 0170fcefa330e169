# Every tests/<folder>/tst_*.cpp is one test program, linked to the library of
# the folder it mirrors. The shared rigs of support/ form vd_testsupport, which
# needs no more than ui/; rigs of a higher folder (support/automation,
# support/commands, support/client) are header only, so they build into the
# programs that already link that folder and vd_testsupport stays low.
file(GLOB support_srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/support/*.cpp
     ${CMAKE_CURRENT_LIST_DIR}/support/*.h)
add_library(vd_testsupport STATIC ${support_srcs})
target_include_directories(vd_testsupport PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR})
target_link_libraries(vd_testsupport PUBLIC vd_ui Qt6::Network Qt6::Test)

set(VARENDOR_TEST_ENV "QT_QPA_PLATFORM=offscreen" "XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/xdg-runtime"
    "QT_LOGGING_RULES=qt.qpa.*=false")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/xdg-runtime)

set(lib_files vd_files)
set(lib_ui vd_ui)
set(lib_automation vd_automation)
# The text path, the session and the input line and note composer are also
# tried against the real game display: their tests link it as a collaborator.
set(lib_protocol vd_protocol vd_display)
set(lib_display vd_display)
set(lib_session vd_session vd_display)
set(lib_scripting vd_scripting)
set(lib_commands vd_commands vd_display)
set(lib_notes vd_notes vd_session vd_display)
set(lib_speech vd_speech)
set(lib_client vd_client)
set(lib_register vd_register)
set(lib_app vd_app)

foreach(folder files ui automation protocol display scripting session commands notes speech client register
               app)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${folder}/tst_*.cpp)
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    set(libs ${lib_${folder}})
    list(GET libs 0 lib)
    if(NOT TARGET ${lib})
      continue()
    endif()
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE ${libs} vd_testsupport Qt6::Test)
    if(folder STREQUAL client AND TARGET varendor-practice-server)
      add_dependencies(${name} varendor-practice-server) # the client starts it
    endif()
    add_test(NAME ${folder}/${name} COMMAND ${name})
    set_tests_properties(${folder}/${name} PROPERTIES ENVIRONMENT "${VARENDOR_TEST_ENV}" TIMEOUT 180)
  endforeach()
endforeach()

# The client read through the desktop's accessibility bus (AT-SPI) under its
# own display server and session bus; skips itself when those cannot start.
# Not in the sanitizer build: the bus libraries' own allocations are not ours.
if(NOT VARENDOR_SANITIZE)
  add_test(NAME client/atspi_check
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/client/atspi_check.sh $<TARGET_FILE:Varendor>)
  set_tests_properties(client/atspi_check PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 90
                       ENVIRONMENT "XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/xdg-runtime")
  # The client played by keyboard with a real screen reader listening.
  if(TARGET varendor-practice-server)
    add_test(NAME client/orca_check
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/client/orca_check.sh $<TARGET_FILE:Varendor>
                     $<TARGET_FILE:varendor-practice-server>)
    set_tests_properties(client/orca_check PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120 RUN_SERIAL TRUE)
  endif()
endif()
