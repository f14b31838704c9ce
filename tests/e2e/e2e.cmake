# The real executable on a real X server. The script skips (exit 77) when the machine lacks
# the X tools; scripts/test.sh installs them.
add_test(NAME e2e_smoke
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/smoke.sh
        $<TARGET_FILE:noterra>
        ${CMAKE_CURRENT_BINARY_DIR}/e2e/smoke.png
        ${PROJECT_SOURCE_DIR}/resources/images/background.png)
set_tests_properties(e2e_smoke PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 90)

# Typing a Japanese entry into the real program and reading the month file's bytes back, and the
# close box's question about unsaved work with each of its answers; the screenshots of each run
# stay in e2e/editing.
add_test(NAME e2e_editing
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/editing.sh
        $<TARGET_FILE:noterra>
        ${CMAKE_CURRENT_BINARY_DIR}/e2e/editing)
set_tests_properties(e2e_editing PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)

# The list window of the real program: a click on the day header, a click on the first row, and
# the main window's titles of that day, checked through the entry deleted from the month file;
# the screenshots of each run stay in e2e/listwindow.
add_test(NAME e2e_listwindow
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/listwindow.sh
        $<TARGET_FILE:noterra>
        ${CMAKE_CURRENT_BINARY_DIR}/e2e/listwindow)
set_tests_properties(e2e_listwindow PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 90)
