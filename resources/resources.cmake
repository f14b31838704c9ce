# Images are compiled into the executable so that it alone is a complete diary. On a static
# library Qt adds the resources as an object library that every target linking noterra_ui takes
# in whole, so neither the executable nor the tests need Q_INIT_RESOURCE.
qt_add_resources(noterra_ui noterra_images
    PREFIX "/"
    BASE ${CMAKE_CURRENT_LIST_DIR}
    FILES
        ${CMAKE_CURRENT_LIST_DIR}/images/background.png
        ${CMAKE_CURRENT_LIST_DIR}/images/background@2x.png
        ${CMAKE_CURRENT_LIST_DIR}/icons/noterra-64.png
        ${CMAKE_CURRENT_LIST_DIR}/icons/noterra-32.png
        ${CMAKE_CURRENT_LIST_DIR}/icons/noterra-16.png
        ${CMAKE_CURRENT_LIST_DIR}/icons/list-64.png
        ${CMAKE_CURRENT_LIST_DIR}/icons/list-32.png
        ${CMAKE_CURRENT_LIST_DIR}/icons/list-16.png
)

# Beside the program in its folder: the icon in every size desktops ask for, laid out as an icon
# theme so that the run command can hand it to the desktop whole, and a desktop entry that
# points at the program by absolute path, written when the install prefix is known.
foreach(size 16 32 48 64 128 256)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/noterra-${size}.png
        DESTINATION icons/hicolor/${size}x${size}/apps RENAME noterra.png)
endforeach()
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/install-desktop.cmake)
