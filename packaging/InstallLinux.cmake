# The layout of an installed client on Linux and other free desktops:
#   bin/varendor                             the client
#   libexec/varendor/                        Ormund, its registration tool,
#                                            the two components, the practice
#                                            server the client starts itself
#   share/applications, share/metainfo,      desktop entry, AppStream data,
#   share/icons/hicolor                      icons in eight sizes
#   share/man/man6, share/man/it/man6        manual pages (English, Italian)
#   share/doc/varendor                       copyright, README.md, changelog,
#                                            ormund/README.TXT, script.md and
#                                            examples/ (the player's scripts)
set(ormund_dir ${CMAKE_INSTALL_LIBEXECDIR}/varendor)
set(bindir ${CMAKE_INSTALL_BINDIR})

set(shipped Varendor Ormund regsvr32 varendor-practice-server)
# Relocations read-only after start-up, as Debian builds its own programs.
foreach(target ${shipped})
  target_link_options(${target} PRIVATE -Wl,-z,relro -Wl,-z,now)
endforeach()

install(TARGETS Varendor RUNTIME DESTINATION ${bindir})
install(TARGETS Ormund regsvr32 varendor-practice-server RUNTIME DESTINATION ${ormund_dir})
install(FILES ${CMAKE_SOURCE_DIR}/register/components/RICHTX32.OCX
              ${CMAKE_SOURCE_DIR}/register/components/CSWSK32.OCX
        DESTINATION ${ormund_dir})
# The build keeps the name it always had; the installed command is lower
# case. A stripping install also drops the compiler's notes, as Debian's own
# packages do.
install(CODE "
  set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${bindir}\")
  file(RENAME \"\${bin}/Varendor\" \"\${bin}/varendor\")
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program \"\${bin}/varendor\"
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ormund_dir}/Ormund\"
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ormund_dir}/regsvr32\"
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ormund_dir}/varendor-practice-server\")
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                              --remove-section=.note \"\${program}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")

install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/${VARENDOR_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${gen}/${VARENDOR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${gen}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Manual pages and the changelog are compressed as Debian wants them:
# gzip -9, without the name and time stamp of the uncompressed file.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(gz_files)
file(MAKE_DIRECTORY ${gen}/it)
function(varendor_gzip source output)
  configure_file(${source} ${gen}/plain/${output} @ONLY)
  add_custom_command(OUTPUT ${gen}/${output}.gz
      COMMAND ${GZIP_PROGRAM} -9 -n -c ${gen}/plain/${output} > ${gen}/${output}.gz
      DEPENDS ${gen}/plain/${output})
  set(gz_files ${gz_files} ${gen}/${output}.gz PARENT_SCOPE)
endfunction()
varendor_gzip(varendor.6.in varendor.6)
varendor_gzip(varendor.it.6.in it/varendor.6)
varendor_gzip(changelog.in changelog)
add_custom_target(varendor_compressed_docs ALL DEPENDS ${gz_files})

install(FILES ${gen}/varendor.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${gen}/it/varendor.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/it/man6)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/varendor)
install(FILES ${gen}/copyright ${CMAKE_SOURCE_DIR}/README.md ${gen}/changelog.gz
        DESTINATION ${docdir})
install(FILES ${CMAKE_SOURCE_DIR}/register/README.TXT DESTINATION ${docdir}/ormund)
install(FILES ${CMAKE_SOURCE_DIR}/docs/script.md DESTINATION ${docdir})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/examples/ DESTINATION ${docdir}/examples)
