# What `cmake --install` lays out: the two programs, the shipped data the
# program fills a new profile from, and the desktop's files (launcher,
# AppStream metainfo, icons, manual pages), all named by one id.
include(GNUInstallDirs)

set(LEXIVOCE_APP_ID io.github.lexivoce.Lexivoce)
# The window names its desktop entry, so that a Wayland desktop joins the two.
target_compile_definitions(lexivoce PRIVATE LEXIVOCE_APP_ID="${LEXIVOCE_APP_ID}")
# The date of the project's version, for the metainfo's release; change it
# with the version in project().
set(LEXIVOCE_RELEASE_DATE 2026-12-09)

# The program looks for its data at <program's folder>/../share/lexivoce
# (app/profile.cpp), so other folders would leave new profiles empty.
cmake_path(SET lexivoce_expected_data NORMALIZE "${CMAKE_INSTALL_FULL_BINDIR}/../share/lexivoce")
cmake_path(SET lexivoce_installed_data NORMALIZE "${CMAKE_INSTALL_FULL_DATADIR}/lexivoce")
if(NOT lexivoce_expected_data STREQUAL lexivoce_installed_data)
  message(WARNING "The installed lexivoce looks for its data in ${lexivoce_expected_data}, "
                  "but it is installed to ${lexivoce_installed_data}: new profiles will start empty.")
endif()

install(TARGETS lexivoce lexivoce-dict RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/lexivoce)

set(lexivoce_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(lexivoce_generated ${PROJECT_BINARY_DIR}/packaging)

configure_file(${lexivoce_packaging}/lexivoce.desktop.in
               ${lexivoce_generated}/${LEXIVOCE_APP_ID}.desktop @ONLY)
configure_file(${lexivoce_packaging}/lexivoce.metainfo.xml.in
               ${lexivoce_generated}/${LEXIVOCE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${lexivoce_generated}/${LEXIVOCE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${lexivoce_generated}/${LEXIVOCE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The PNG sizes are rendered from the SVG, so they never drift from it.
add_executable(lexivoce-render-icon ${lexivoce_packaging}/render_icon.cpp)
target_link_libraries(lexivoce-render-icon PRIVATE Qt6::Gui)
install(FILES ${lexivoce_packaging}/lexivoce.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${LEXIVOCE_APP_ID}.svg)
set(lexivoce_icons)
foreach(size 48 256)
  set(png ${lexivoce_generated}/icons/${size}/${LEXIVOCE_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${lexivoce_generated}/icons/${size}
      COMMAND lexivoce-render-icon ${lexivoce_packaging}/lexivoce.svg ${size} ${png}
      DEPENDS lexivoce-render-icon ${lexivoce_packaging}/lexivoce.svg
      COMMENT "Rendering the ${size}x${size} icon")
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  list(APPEND lexivoce_icons ${png})
endforeach()
add_custom_target(lexivoce-icons ALL DEPENDS ${lexivoce_icons})

foreach(page lexivoce lexivoce-dict)
  configure_file(${PROJECT_SOURCE_DIR}/man/${page}.1.in ${lexivoce_generated}/man/${page}.1 @ONLY)
  install(FILES ${lexivoce_generated}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
