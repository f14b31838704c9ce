# Images are compiled into the executable so that it alone is a complete diary. On a static
# library Qt adds the resources as an object library that every target linking noterra_ui takes
# in whole, so neither the executable nor the tests need Q_INIT_RESOURCE.
qt_add_resources(noterra_ui noterra_images
    PREFIX "/"
    BASE ${CMAKE_CURRENT_LIST_DIR}
    FILES
        ${CMAKE_CURRENT_LIST_DIR}/images/background.png
        ${CMAKE_CURRENT_LIST_DIR}/icons/noterra-32.png
        ${CMAKE_CURRENT_LIST_DIR}/icons/noterra-16.png
        ${CMAKE_CURRENT_LIST_DIR}/icons/list-32.png
        ${CMAKE_CURRENT_LIST_DIR}/icons/list-16.png
)

# Beside the program in its folder: the icon, and a desktop entry that points at both by
# absolute path, written when the install prefix is known.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/noterra-32.png DESTINATION . RENAME noterra.png)
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/install-desktop.cmake)
