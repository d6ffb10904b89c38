# Runs the sheet tests under a private X server. Xvfb has no window manager,
# and Wine waits two seconds for one whenever a managed window closes, so
# this program's windows are left unmanaged.
execute_process(COMMAND ${WINE_RUN} reg add
                        "HKCU\\Software\\Wine\\AppDefaults\\test_itemsheets.exe\\X11 Driver"
                        /v Managed /d N /f
                OUTPUT_QUIET ERROR_QUIET)
execute_process(COMMAND xvfb-run -a -s "-screen 0 1024x768x24" ${WINE_RUN} ${TEST_EXE}
                        --gtest_brief=1
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "test_itemsheets: ${result}")
endif()
