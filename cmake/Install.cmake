# Installation into any prefix (cmake --install build --prefix DIR) and the
# Debian package (cpack -G DEB in the build folder).
include(GNUInstallDirs)

set(VISTREL_APP_ID com.corvane.Vistrel)
set(VISTREL_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)
# The PNG sizes of the hicolor theme, rendered from the SVG icon at build time.
set(VISTREL_ICON_SIZES 16 22 24 32 48 64 128 256)

install(TARGETS vistrel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Man pages, compressed as Debian installs them.
find_program(VISTREL_GZIP gzip)
set(VISTREL_MAN_PAGES vistrel-cli.1)
if(VISTREL_BUILD_GUI)
  list(APPEND VISTREL_MAN_PAGES vistrel.1)
endif()
set(VISTREL_MAN_OUTPUTS)
foreach(page IN LISTS VISTREL_MAN_PAGES)
  set(src ${PROJECT_SOURCE_DIR}/resources/man/${page})
  if(VISTREL_GZIP)
    set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${out}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                       COMMAND ${VISTREL_GZIP} -9nc ${src} > ${out}
                       DEPENDS ${src} VERBATIM)
    list(APPEND VISTREL_MAN_OUTPUTS ${out})
    install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    install(FILES ${src} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
if(VISTREL_MAN_OUTPUTS)
  add_custom_target(vistrel_man ALL DEPENDS ${VISTREL_MAN_OUTPUTS})
endif()

if(VISTREL_BUILD_GUI)
  install(TARGETS vistrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${VISTREL_DESKTOP_DIR}/${VISTREL_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VISTREL_DESKTOP_DIR}/${VISTREL_APP_ID}.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${VISTREL_DESKTOP_DIR}/${VISTREL_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${VISTREL_DESKTOP_DIR}/vistrel.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${VISTREL_APP_ID}.svg)

  find_package(Qt6 REQUIRED COMPONENTS Gui Svg)
  add_executable(render_icon ${PROJECT_SOURCE_DIR}/src/tools/render_icon.cpp)
  target_link_libraries(render_icon PRIVATE Qt6::Gui Qt6::Svg)
  set(icon_dir ${CMAKE_BINARY_DIR}/icons)
  set(icon_files)
  foreach(size IN LISTS VISTREL_ICON_SIZES)
    list(APPEND icon_files ${icon_dir}/${size}x${size}.png)
    install(FILES ${icon_dir}/${size}x${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${VISTREL_APP_ID}.png)
  endforeach()
  add_custom_command(OUTPUT ${icon_files}
                     COMMAND render_icon ${VISTREL_DESKTOP_DIR}/vistrel.svg ${icon_dir}
                             ${VISTREL_ICON_SIZES}
                     DEPENDS render_icon ${VISTREL_DESKTOP_DIR}/vistrel.svg VERBATIM)
  add_custom_target(vistrel_icons ALL DEPENDS ${icon_files})
endif()

# Debian package: vistrel_VERSION_ARCH.deb, its library dependencies found
# by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vistrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Corvane)
set(CPACK_PACKAGE_CONTACT "Vistrel maintainers <maintainers@vistrel.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture viewer and light picture editor")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "picture viewer and light picture editor\n Vistrel opens JPEG, PNG, BMP, PCX, DCX, TIFF and TGA pictures, shows them\n at 25 to 800 per cent or fitted to the window, keeps a bookmark list of\n the files opened, edits them (colours, filters, transforms, colour depth)\n with a before-and-after preview and one level of undo, and saves them as\n BMP, PCX, TIFF, PNG or JPEG. It plays sound and video clips in the\n window, full screen and in slideshows. The package also holds vistrel-cli, a\n headless tool that opens and converts pictures as the window does.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(VISTREL_BUILD_GUI)
  # Qt finds its window-system plugin at run time; no library names it.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  # Clips play through GStreamer's plugins, loaded at run time; MIDI needs a
  # soundfont and the rarer formats the further plugin sets.
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
         ", gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
      "gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, fluid-soundfont-gm")
endif()
include(CPack)
