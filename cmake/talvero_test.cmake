# talvero_add_test(FILE LIBS...): turns one *_test.cc file into one GoogleTest executable and test.
function(talvero_add_test test_file)
  get_filename_component(name ${test_file} NAME_WE)
  add_executable(${name} ${test_file})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
