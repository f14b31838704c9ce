set(NOTERRA_LISTWINDOW_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/listowner.h
    ${CMAKE_CURRENT_LIST_DIR}/listform.h ${CMAKE_CURRENT_LIST_DIR}/listform.cpp
    ${CMAKE_CURRENT_LIST_DIR}/articlelistmodel.h ${CMAKE_CURRENT_LIST_DIR}/articlelistmodel.cpp
)
