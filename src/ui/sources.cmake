set(NOTERRA_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/application.h ${CMAKE_CURRENT_LIST_DIR}/application.cpp
    ${CMAKE_CURRENT_LIST_DIR}/failurereport.h ${CMAKE_CURRENT_LIST_DIR}/failurereport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/formlayout.h ${CMAKE_CURRENT_LIST_DIR}/formlayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/japanesefonts.h ${CMAKE_CURRENT_LIST_DIR}/japanesefonts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skypicture.h ${CMAKE_CURRENT_LIST_DIR}/skypicture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/singlewindow.h ${CMAKE_CURRENT_LIST_DIR}/singlewindow.cpp
)
