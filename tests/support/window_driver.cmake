# The window driver as a library of its own: the test programs get it through
# brindle_test_support, the benchmark programs link it directly (they must not
# get the test main). Included from tests/support and from bench.
if(NOT TARGET brindle_window_driver)
    add_library(brindle_window_driver STATIC ${CMAKE_CURRENT_LIST_DIR}/window_driver.cpp)
    target_link_libraries(brindle_window_driver PUBLIC project_options)
    target_include_directories(brindle_window_driver PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
endif()
