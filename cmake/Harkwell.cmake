# Sources are sorted by their names: window and picture classes (C followed by
# a capital) go to the UI library on Qt; every other .cpp of a subsystem folder
# goes to that subsystem's core library, which links no Qt.

function(harkwell_split_sources pattern out_core out_ui)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
  set(core "")
  set(ui "")
  foreach(source IN LISTS sources)
    get_filename_component(name ${source} NAME)
    if(name MATCHES "^C[A-Z]")
      list(APPEND ui ${source})
    elseif(NOT name STREQUAL "main.cpp")
      list(APPEND core ${source})
    endif()
  endforeach()
  set(${out_core} ${core} PARENT_SCOPE)
  set(${out_ui} ${ui} PARENT_SCOPE)
endfunction()

# harkwell_subsystem(<name> [LINKS <core libraries>...]): harkwell_<name> and
# the folder's part of harkwell_ui.
function(harkwell_subsystem name)
  cmake_parse_arguments(arg "" "" "LINKS" ${ARGN})
  harkwell_split_sources("*.cpp" core ui)
  if(core)
    add_library(harkwell_${name} STATIC ${core})
    target_include_directories(harkwell_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(harkwell_${name} PUBLIC ${arg_LINKS})
  endif()
  if(ui AND TARGET harkwell_ui)
    target_sources(harkwell_ui PRIVATE ${ui})
    target_link_libraries(harkwell_ui PUBLIC ${arg_LINKS})
    if(core)
      target_link_libraries(harkwell_ui PUBLIC harkwell_${name})
    endif()
  endif()
endfunction()

# harkwell_tests(<subsystem>): the folder's *Test.cpp files join the core or
# the widget test program by the same naming rule.
function(harkwell_tests subsystem)
  harkwell_split_sources("*Test.cpp" core ui)
  if(core)
    target_sources(harkwell_core_tests PRIVATE ${core})
    if(TARGET harkwell_${subsystem})
      target_link_libraries(harkwell_core_tests PRIVATE harkwell_${subsystem})
    endif()
  endif()
  if(ui AND TARGET harkwell_ui_tests)
    target_sources(harkwell_ui_tests PRIVATE ${ui})
  endif()
endfunction()
