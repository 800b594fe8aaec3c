# Installation into /usr and the Debian package that `make package` builds:
# the program, harkwell-cli, the manual, the product page, the icon at the
# desktop's sizes, the desktop entry and the AppStream metadata.
include(GNUInstallDirs)

set(HARKWELL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/harkwell)
set(HARKWELL_APP_ID io.github.harkwell.Harkwell)
set(resources ${PROJECT_SOURCE_DIR}/resources)
set(HARKWELL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/harkwell)

install(TARGETS harkwell harkwell-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${resources}/manual DESTINATION ${HARKWELL_DATA_DIR})
install(FILES ${resources}/product/index.html DESTINATION ${HARKWELL_DATA_DIR}/product)
install(DIRECTORY ${resources}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${resources}/desktop/harkwell.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${resources}/desktop/${HARKWELL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${resources}/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME harkwell)
install(FILES ${resources}/debian/copyright DESTINATION ${HARKWELL_DOC_DIR})

# Debian keeps manual pages and the changelog compressed, without time stamps.
set(compressed ${PROJECT_BINARY_DIR}/compressed)
file(MAKE_DIRECTORY ${compressed})
foreach(source man/harkwell.1 man/harkwell-cli.1 debian/changelog)
  get_filename_component(name ${source} NAME)
  if(name STREQUAL "changelog")
    set(name changelog.Debian)
  endif()
  execute_process(COMMAND gzip -9nc ${resources}/${source} OUTPUT_FILE ${compressed}/${name}.gz
                  COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${resources}/${source})
endforeach()
install(FILES ${compressed}/harkwell.1.gz ${compressed}/harkwell-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${compressed}/changelog.Debian.gz DESTINATION ${HARKWELL_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME harkwell)
set(CPACK_PACKAGE_VENDOR "Harkwell developers")
set(CPACK_PACKAGE_CONTACT "Harkwell developers <maintainers@harkwell.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write a tune down by ear, one short stretch at a time")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/harkwell/harkwell")
# The summary is the synopsis line; this is the long description under it.
set(CPACK_PACKAGE_DESCRIPTION
    "Harkwell helps a musician copy a tune down by ear. It loads a WAV file\n"
    "or rips a track from an audio CD, keeps marked stretches as named,\n"
    "coloured areas, divides the tune into bars with a time signature and a\n"
    "tempo, plays a stretch faster or slower with its pitch kept, shows the\n"
    "notes of a piece as coloured piano keys, and plays the written bar\n"
    "through a General MIDI synth, alone or together with the tune.\n"
    "\n"
    "The package holds the program, harkwell-cli (its engine for scripts)\n"
    "and the user's manual.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no library scan finds: the synth's General MIDI SoundFont and a font
# for the program's Japanese texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "timgm6mb-soundfont | fluid-soundfont-gm | sf2-soundfont-gm, fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pulseaudio | pipewire-pulse")
include(CPack)
