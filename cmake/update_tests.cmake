# What the update tests need besides the window tests: the programs the test server hands out as downloads,
# and sockets for finding a closed loopback port.
foreach(variant installer program)
    add_executable(kolvex_update_test_${variant} WIN32 tests/update/update_test_program.cpp)
endforeach()
target_compile_definitions(kolvex_update_test_installer PRIVATE KOLVEX_TEST_INSTALLER)
target_link_libraries(kolvex_window_tests PRIVATE ws2_32)
