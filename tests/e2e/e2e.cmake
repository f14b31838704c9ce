# The real executable on a real X server. Each script skips (exit 77) when the machine lacks a
# tool it needs; scripts/test.sh installs them. A script takes the executable, then where its
# screenshots go, then any arguments of its own.
function(noterra_add_e2e name script timeout)
    add_test(NAME ${name}
        COMMAND bash ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${script}
            $<TARGET_FILE:noterra> ${ARGN})
    # The journals of the unsaved work go to a state folder of the test's own, never the user's.
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT ${timeout}
        ENVIRONMENT "XDG_STATE_HOME=${CMAKE_CURRENT_BINARY_DIR}/state/${name}")
endfunction()

set(shots ${CMAKE_CURRENT_BINARY_DIR}/e2e)

# Start-up from an empty folder: the window, its sky and icon, and a close that writes nothing.
noterra_add_e2e(e2e_smoke smoke.sh 90 ${shots}/smoke.png ${PROJECT_SOURCE_DIR}/resources/images/background.png)

# Typing a Japanese entry into the real program and reading the month file's bytes back, and the
# close box's question about unsaved work with each of its answers.
noterra_add_e2e(e2e_editing editing.sh 120 ${shots}/editing)

# The list window: a click on the day header, a click on the first row, and the main window's
# titles of that day, checked through the entry deleted from the month file.
noterra_add_e2e(e2e_listwindow listwindow.sh 90 ${shots}/listwindow)

# The diary's folder: named in Shift_JIS bytes, owned by one running program at a time, and taken
# over from a killed one.
noterra_add_e2e(e2e_diaryfolder diaryfolder.sh 180 ${shots}/diaryfolder)

# A diary folder that another program changes while the program runs, by a rename over the month
# file and in place with its time stamp kept: shown on activation, left alone or merged by day.
noterra_add_e2e(e2e_syncedfolder syncedfolder.sh 180 ${shots}/syncedfolder)

# What a screen reader reads through the accessibility bus, driven by the keyboard alone: the
# calendar's cells and selection events, names, marks, and Return in the list.
noterra_add_e2e(e2e_accessibility accessibility.sh 150 ${shots}/accessibility)

# Japanese typed through a real input method framework with its Mozc engine, committed and left
# uncommitted while the user clicks away; one run per framework.
foreach(framework ibus fcitx5)
    noterra_add_e2e(e2e_inputmethod_${framework} inputmethod.sh 150 ${shots}/inputmethod-${framework} ${framework})
endforeach()

# Typed work cut off by SIGKILL (also with the next start in another month), SIGTERM and a lost
# display: the folder stays as it was, and the next start brings the work back for saving.
noterra_add_e2e(e2e_recovery recovery.sh 200 ${shots}/recovery)

# The search window: unsaved words and a full-width entry of another year found by what is typed,
# opened by Return with the first match selected, never a .bak or an unreadable month.
noterra_add_e2e(e2e_search search.sh 120 ${shots}/search)
