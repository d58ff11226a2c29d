# The Qt half of the program, included from the top CMakeLists.txt when the
# windows are built.
#
#   zarvel_widgets  skin/widgets/ (skinned dialog base, image button, image
#                   cache, start-up check) and controls/ (the small skinned
#                   controls): the kit every window stands on
#   zarvel_app      app/ without main.cpp: the windows, dialogs, tray, links
#   zarvel          app/main.cpp: the program people start
#   zarvel_skin_gen tools/skin_generator/: writes our own skin into bin/Skins
#   tests/gui/      one test executable per *_test.cpp, offscreen
#
# Each target exists once its folder holds sources, so the kit, the windows
# and the tools can land one after another.

set(ZARVEL_QT_LIBS Qt6::Core Qt6::Gui Qt6::Widgets)

function(zarvel_qt_target target)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS)
endfunction()

file(GLOB ZARVEL_WIDGET_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/skin/widgets/*.cpp ${CMAKE_SOURCE_DIR}/skin/widgets/*.h
  ${CMAKE_SOURCE_DIR}/controls/*.cpp ${CMAKE_SOURCE_DIR}/controls/*.h)
if(ZARVEL_WIDGET_SOURCES)
  add_library(zarvel_widgets STATIC ${ZARVEL_WIDGET_SOURCES})
  zarvel_qt_target(zarvel_widgets)
  target_link_libraries(zarvel_widgets PUBLIC zarvel_core ${ZARVEL_QT_LIBS})
endif()

# The skin: generated at build time from one layout table, so the INI
# placements and the pictures can never disagree.
file(GLOB ZARVEL_SKIN_GEN_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/tools/skin_generator/*.cpp ${CMAKE_SOURCE_DIR}/tools/skin_generator/*.h)
if(ZARVEL_SKIN_GEN_SOURCES)
  add_executable(zarvel_skin_gen ${ZARVEL_SKIN_GEN_SOURCES})
  zarvel_qt_target(zarvel_skin_gen)
  set_target_properties(zarvel_skin_gen PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
  target_link_libraries(zarvel_skin_gen PRIVATE zarvel_core ${ZARVEL_QT_LIBS})
  set(ZARVEL_SKIN_STAMP ${CMAKE_BINARY_DIR}/skin.stamp)
  # Under ThreadSanitizer the generator would report the insides of Qt's own
  # thread pool (Qt is not built for it); the generator is a build tool, not
  # something the threaded tests check.
  add_custom_command(OUTPUT ${ZARVEL_SKIN_STAMP}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen TSAN_OPTIONS=report_bugs=0
            $<TARGET_FILE:zarvel_skin_gen> ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
    COMMAND ${CMAKE_COMMAND} -E touch ${ZARVEL_SKIN_STAMP}
    DEPENDS zarvel_skin_gen
    COMMENT "Generating the skin into ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Skins")
  add_custom_target(zarvel_skin ALL DEPENDS ${ZARVEL_SKIN_STAMP})
  install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Skins DESTINATION ${CMAKE_INSTALL_DATADIR}/zarvel
          FILES_MATCHING PATTERN "*.ini" PATTERN "*.jpg" PATTERN "*.bmp" PATTERN "*.png" PATTERN "*.ico")
  # The application icon in the XDG icon theme; the generator draws it at
  # every size the theme folders hold.
  foreach(icon_size 16 22 24 32 48 64 128 256)
    install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Skins/zarvel_${icon_size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${icon_size}x${icon_size}/apps RENAME zarvel.png)
  endforeach()
endif()

# The user guide the Help buttons and F1 open: Help/index.html beside the
# program, as in the installed program folder.
file(GLOB ZARVEL_HELP_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/Help/*)
foreach(help_file ${ZARVEL_HELP_FILES})
  get_filename_component(help_name ${help_file} NAME)
  configure_file(${help_file} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Help/${help_name} COPYONLY)
endforeach()
install(FILES ${ZARVEL_HELP_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/zarvel/Help)

file(GLOB ZARVEL_APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/*.cpp ${CMAKE_SOURCE_DIR}/app/*.h)
list(FILTER ZARVEL_APP_SOURCES EXCLUDE REGEX "/app/main\\.cpp$")
if(ZARVEL_APP_SOURCES AND TARGET zarvel_widgets)
  add_library(zarvel_app STATIC ${ZARVEL_APP_SOURCES})
  zarvel_qt_target(zarvel_app)
  target_link_libraries(zarvel_app PUBLIC zarvel_widgets Qt6::Network Qt6::DBus)
  # libxcb on Qt's own X connection: the key dialog takes Super and Menu from
  # an X11 desktop with a passive grab, and the tray check asks the X server
  # whether a notification area exists. Without libxcb's headers both go
  # without.
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(ZARVEL_XCB QUIET IMPORTED_TARGET xcb)
  endif()
  if(ZARVEL_XCB_FOUND)
    target_link_libraries(zarvel_app PUBLIC PkgConfig::ZARVEL_XCB)
    target_compile_definitions(zarvel_app PUBLIC ZARVEL_HAVE_XCB)
  endif()
  if(EXISTS ${CMAKE_SOURCE_DIR}/app/main.cpp)
    add_executable(zarvel ${CMAKE_SOURCE_DIR}/app/main.cpp)
    zarvel_qt_target(zarvel)
    target_link_libraries(zarvel PRIVATE zarvel_app)
    if(TARGET zarvel_skin)
      add_dependencies(zarvel zarvel_skin)
    endif()
    install(TARGETS zarvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endif()
