set(NOTERRA_MAINWINDOW_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/application.h ${CMAKE_CURRENT_LIST_DIR}/application.cpp
    ${CMAKE_CURRENT_LIST_DIR}/startuppreload.h ${CMAKE_CURRENT_LIST_DIR}/startuppreload.cpp
    ${CMAKE_CURRENT_LIST_DIR}/backgroundpicture.h ${CMAKE_CURRENT_LIST_DIR}/backgroundpicture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skypicture.h ${CMAKE_CURRENT_LIST_DIR}/skypicture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/formlayout.h ${CMAKE_CURRENT_LIST_DIR}/formlayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/japanesefonts.h ${CMAKE_CURRENT_LIST_DIR}/japanesefonts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mainform.h ${CMAKE_CURRENT_LIST_DIR}/mainform.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mainformlayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/caldiary.h ${CMAKE_CURRENT_LIST_DIR}/caldiary.cpp
    ${CMAKE_CURRENT_LIST_DIR}/calendarrange.h ${CMAKE_CURRENT_LIST_DIR}/calendarrange.cpp
    ${CMAKE_CURRENT_LIST_DIR}/calendargrid.h ${CMAKE_CURRENT_LIST_DIR}/calendargrid.cpp
)
