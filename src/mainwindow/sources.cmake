set(NOTERRA_MAINWINDOW_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/mainform.h ${CMAKE_CURRENT_LIST_DIR}/mainform.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mainformlayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mainformending.cpp
    ${CMAKE_CURRENT_LIST_DIR}/calendardaysource.h
    ${CMAKE_CURRENT_LIST_DIR}/editortext.h ${CMAKE_CURRENT_LIST_DIR}/editortext.cpp
    ${CMAKE_CURRENT_LIST_DIR}/savequestion.h ${CMAKE_CURRENT_LIST_DIR}/savequestion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sessionend.h ${CMAKE_CURRENT_LIST_DIR}/sessionend.cpp
)
