# Adds every folder below ROOT that holds a CMakeLists.txt, in sorted order.
function(tracklace_add_subdirectories)
  foreach(root IN LISTS ARGN)
    file(GLOB_RECURSE lists RELATIVE ${CMAKE_SOURCE_DIR} CONFIGURE_DEPENDS
         ${CMAKE_SOURCE_DIR}/${root}/CMakeLists.txt ${CMAKE_SOURCE_DIR}/${root}/*/CMakeLists.txt)
    list(SORT lists)
    foreach(list_file IN LISTS lists)
      get_filename_component(dir ${list_file} DIRECTORY)
      add_subdirectory(${dir})
    endforeach()
  endforeach()
endfunction()

# tracklace_library(NAME <target> [QT] [LIBS ...])
# A static library made of the .cpp files of the calling folder (not its sub-folders,
# which are targets of their own). The repository root is the include root, so headers
# are included as "core/playlist/playlist.h".
function(tracklace_library)
  cmake_parse_arguments(ARG "QT" "NAME" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${ARG_NAME} STATIC ${sources})
  target_include_directories(${ARG_NAME} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${ARG_NAME} PUBLIC ${ARG_LIBS})
  if(ARG_QT)
    target_link_libraries(${ARG_NAME} PUBLIC Qt6::Widgets)
  endif()
endfunction()

# tracklace_test(NAME <target> [LIBS ...] [ENV ...])
# One GoogleTest executable made of the .cpp files of the calling folder; every test in it
# becomes a CTest test. Tests run with the offscreen Qt platform and their own settings hive.
function(tracklace_test)
  cmake_parse_arguments(ARG "" "NAME;TIMEOUT" "LIBS;ENV;SOURCES" ${ARGN})
  if(ARG_SOURCES)
    set(sources ${ARG_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${ARG_NAME} ${sources})
  target_include_directories(${ARG_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${ARG_NAME} PRIVATE
    TRACKLACE_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TRACKLACE_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # Tests run through "cmake -E env" with their environment: the ENVIRONMENT property of
  # discovered tests keeps only one variable, since its list separators get lost on the way.
  set_target_properties(${ARG_NAME} PROPERTIES CROSSCOMPILING_EMULATOR
    "${CMAKE_COMMAND};-E;env;QT_QPA_PLATFORM=offscreen;${ARG_ENV}")
  gtest_discover_tests(${ARG_NAME}
    DISCOVERY_MODE PRE_TEST
    # Names stay the same from run to run: parameters are not dumped into them.
    NO_PRETTY_VALUES
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()

# tracklace_test_variant(NAME <test target> SUFFIX <suffix> FILTER <gtest filter> ENV <VAR=value>)
# Runs the tests of a test program that FILTER selects once more with one more environment
# variable, under names ending in SUFFIX: the layout tests at 144 DPI, for instance.
function(tracklace_test_variant)
  cmake_parse_arguments(ARG "" "NAME;SUFFIX;FILTER;ENV" "" ${ARGN})
  gtest_discover_tests(${ARG_NAME}
    DISCOVERY_MODE PRE_TEST
    NO_PRETTY_VALUES
    TEST_FILTER ${ARG_FILTER}
    TEST_SUFFIX ${ARG_SUFFIX}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120 ENVIRONMENT ${ARG_ENV})
endfunction()
