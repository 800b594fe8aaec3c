# The split between the plain core and the Qt interface is made by folder:
# a subsystem's window and picture classes live in its ui/ subfolder and go
# into the UI library on Qt; every other .cpp of the folder goes into the
# subsystem's core library, which links no Qt.

# harkwell_subsystem(<name> [LINKS <libraries>...]): harkwell_<name> from the
# folder's own sources, linking only what they include, and the ui/ sources
# appended to harkwell_ui.
function(harkwell_subsystem name)
  cmake_parse_arguments(arg "" "" "LINKS" ${ARGN})
  file(GLOB core CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB ui CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp)
  list(FILTER ui EXCLUDE REGEX "/main\\.cpp$")
  if(core)
    add_library(harkwell_${name} STATIC ${core})
    target_include_directories(harkwell_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(harkwell_${name} PUBLIC ${arg_LINKS})
  endif()
  if(ui AND TARGET harkwell_ui)
    target_sources(harkwell_ui PRIVATE ${ui})
    if(core)
      target_link_libraries(harkwell_ui PUBLIC harkwell_${name})
    endif()
  endif()
endfunction()

# The test files whose code starts threads (players, timer chains, timer
# threads, sound callbacks, the synth's opening, the rings between them, and
# the contracts run over the real backends): the ThreadSanitizer build holds
# only these.
set(HARKWELL_THREADED_TESTS
  "/(WavePlayer|TimerChain|MidiPlayer|ThreadTimerService|PortAudioWaveOutPort|FluidSynthMidiPort|PlaybackControl|ScorePlayback|SynthAccess|SpscRing|TrackExtraction|[A-Za-z]*Contract)Test\\.cpp$")

# harkwell_tests(<subsystem>): the folder's *Test.cpp files join the core test
# program, those of its ui/ subfolder the widget test program.
function(harkwell_tests subsystem)
  file(GLOB core CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
  if(HARKWELL_TSAN)
    list(FILTER core INCLUDE REGEX "${HARKWELL_THREADED_TESTS}")
  endif()
  file(GLOB ui CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*Test.cpp)
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
