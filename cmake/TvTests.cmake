# tv_add_test_programs(PREFIX <p> LIBS <libs...> [QT_LIBS <libs...>])
# Makes one test program per Test*.cpp file of the calling folder, named
# <p>_<file>. Files named TestQ*.cpp are QtTest programs, the others
# GoogleTest programs. Every program links LIBS; QtTest programs also link
# QT_LIBS, so a folder's plain tests can prove they need no Qt library.
# Every test runs on the offscreen Qt platform and finds the kits shared by
# the test folders (tests/Kit) beside its own folder's. A GoogleTest test is
# named in ctest as GoogleTest names it: a parameterised row by its name
# generator, never by the bytes of its parameter.
function(tv_add_test_programs)
  cmake_parse_arguments(ARG "" "PREFIX" "LIBS;QT_LIBS" ${ARGN})
  find_package(Qt6 REQUIRED COMPONENTS Test)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/Test*.cpp)
  foreach(src IN LISTS tests)
    get_filename_component(name ${src} NAME_WE)
    set(exe ${ARG_PREFIX}_${name})
    add_executable(${exe} ${src})
    target_link_libraries(${exe} PRIVATE ${ARG_LIBS})
    target_include_directories(${exe} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/Kit)
    if(name MATCHES "^TestQ")
      target_link_libraries(${exe} PRIVATE ${ARG_QT_LIBS} Qt6::Test)
      set_target_properties(${exe} PROPERTIES AUTOMOC ON)
      add_test(NAME ${exe} COMMAND ${exe})
      set_tests_properties(${exe} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    else()
      target_link_libraries(${exe} PRIVATE GTest::gtest_main)
      gtest_discover_tests(${exe} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
  endforeach()
endfunction()
