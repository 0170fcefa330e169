# Windows and macOS (not yet tried): the client and Ormund with the Qt
# libraries and plugins they need, copied in by Qt's deployment scripts
# (windeployqt, macdeployqt). The player's files go to the per-user folder
# (%APPDATA%\Varendor, ~/Library/Application Support/Varendor) unless a
# varendor.portable or config.ini is put beside the program.
set_target_properties(Varendor Ormund regsvr32 PROPERTIES WIN32_EXECUTABLE ON)
set_target_properties(Varendor PROPERTIES
    MACOSX_BUNDLE ON
    MACOSX_BUNDLE_BUNDLE_NAME Varendor
    MACOSX_BUNDLE_GUI_IDENTIFIER ${VARENDOR_APP_ID}
    MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION}
    MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION})

# Ormund sits beside the components it registers; on Windows that is the
# client's own folder, as it always was.
if(WIN32)
  set(ormund_dir ${CMAKE_INSTALL_BINDIR})
else()
  set(ormund_dir ${CMAKE_INSTALL_LIBEXECDIR}/varendor)
endif()

install(TARGETS Varendor BUNDLE DESTINATION . RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS Ormund regsvr32 RUNTIME DESTINATION ${ormund_dir})
install(FILES ${CMAKE_SOURCE_DIR}/register/README.TXT
              ${CMAKE_SOURCE_DIR}/register/components/RICHTX32.OCX
              ${CMAKE_SOURCE_DIR}/register/components/CSWSK32.OCX
        DESTINATION ${ormund_dir})
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${gen}/copyright ${CMAKE_SOURCE_DIR}/docs/script.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# Qt 6.3 and 6.4 name the script's variable FILENAME_VARIABLE, later ones
# OUTPUT_SCRIPT.
if(Qt6_VERSION VERSION_LESS 6.5)
  set(script_keyword FILENAME_VARIABLE)
else()
  set(script_keyword OUTPUT_SCRIPT)
endif()
foreach(target Varendor Ormund regsvr32)
  qt_generate_deploy_app_script(TARGET ${target} ${script_keyword} deploy_script
                                NO_UNSUPPORTED_PLATFORM_ERROR)
  install(SCRIPT ${deploy_script})
endforeach()
