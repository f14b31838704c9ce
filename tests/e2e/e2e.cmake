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

# The diary's folder: named in Shift_JIS bytes, owned by one running program at a time, and taken
# over from a killed one; the screenshots of each run stay in e2e/diaryfolder.
add_test(NAME e2e_diaryfolder
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/diaryfolder.sh
        $<TARGET_FILE:noterra>
        ${CMAKE_CURRENT_BINARY_DIR}/e2e/diaryfolder)
set_tests_properties(e2e_diaryfolder PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180)

# What a screen reader reads of the real program through the accessibility bus, driven by the
# keyboard alone: the calendar's cells and selection events, names, marks, and Return in the list.
add_test(NAME e2e_accessibility
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/accessibility.sh
        $<TARGET_FILE:noterra>
        ${CMAKE_CURRENT_BINARY_DIR}/e2e/accessibility)
set_tests_properties(e2e_accessibility PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 150)

# Japanese typed through a real input method framework with its Mozc engine, committed and left
# uncommitted while the user clicks away; one run per framework. Each skips (exit 77) when its
# framework, Mozc or Qt's plugin for it is missing; scripts/test.sh installs them.
foreach(framework ibus fcitx5)
    add_test(NAME e2e_inputmethod_${framework}
        COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/inputmethod.sh
            $<TARGET_FILE:noterra>
            ${CMAKE_CURRENT_BINARY_DIR}/e2e/inputmethod-${framework}
            ${framework})
    set_tests_properties(e2e_inputmethod_${framework} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 150)
endforeach()
