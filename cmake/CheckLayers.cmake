# Fails when a file of a layer includes a header of a layer above it. Run by the build
# (cmake -DROOT=<source folder> -P CheckLayers.cmake) before any library of ours is compiled,
# and again whenever a source file changes, so an include that runs back up never builds.
#
# Each rule: a folder, then the folders its files may include (its own first). The layers, from
# the ground up: the platform, VST, ASIO and settings code and the lock-free ring; the model
# (layout types and the values files parse to); the file formats; the effect host and the synth
# presets; the engine; the pattern tools and exports. The editor stands apart above them: its
# artwork (embedded images), its toolkit (windows, drawing, events; nothing of the instrument),
# its controls (the toolkit's controls made ours; the instrument's model values at most), then
# the editor itself, which reaches the instrument through the engine's public functions. Beside
# them, the standalone program reaches the plug-in only through the library it loads, so it
# includes nothing of plugin/ (what the two share is in common/vst); the companion takes anything
# of the instrument but nothing of the standalone program.
set(RIMBA_LAYER_RULES
    "common/vst:common/vst"
    "common/asio:common/asio"
    "common/concurrency:common/concurrency"
    "common/platform:common/platform"
    "common/settings:common/settings,common/platform"
    "plugin/model:plugin/model"
    "plugin/files:plugin/files,plugin/model,common/platform"
    "plugin/effects:plugin/effects,plugin/files,plugin/model,common/platform,common/settings,common/vst"
    "plugin/synth:plugin/synth,plugin/files,plugin/model,common/platform"
    "plugin/core:plugin/core,plugin/effects,plugin/synth,plugin/files,plugin/model,common/platform,common/settings,common/vst,common/concurrency"
    "plugin/tools:plugin/tools,plugin/core,plugin/effects,plugin/synth,plugin/files,plugin/model,common/platform,common/settings,common/vst,common/concurrency"
    "plugin/editor/artwork:plugin/editor/artwork"
    "plugin/editor/toolkit:plugin/editor/toolkit,plugin/editor/artwork,common/platform,common/vst"
    "plugin/editor/controls:plugin/editor/controls,plugin/editor/toolkit,plugin/editor/artwork,plugin/model,common/platform"
    "plugin/editor:plugin/editor,plugin/tools,plugin/core,plugin/effects,plugin/synth,plugin/files,plugin/model,common/platform,common/settings,common/vst,common/concurrency"
    "StandAlone:StandAlone,common/vst,common/asio,common/platform,common/settings,common/concurrency"
    "companion:companion,plugin,common,tools")

set(faults "")
foreach(rule IN LISTS RIMBA_LAYER_RULES)
    string(REPLACE ":" ";" parts "${rule}")
    list(GET parts 0 folder)
    list(GET parts 1 allowed)
    string(REPLACE "," ";" allowed "${allowed}")
    file(GLOB_RECURSE sources "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[^\"]+\"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*$" "\\1" header "${line}")
            # Only paths from the top of the tree are ours to check.
            if(NOT header MATCHES "^(common|plugin|companion|tools|StandAlone)/")
                continue()
            endif()
            set(permitted FALSE)
            foreach(below IN LISTS allowed)
                if(header MATCHES "^${below}/")
                    set(permitted TRUE)
                endif()
            endforeach()
            if(NOT permitted)
                file(RELATIVE_PATH where "${ROOT}" "${source}")
                string(REPLACE ";" ", " may "${allowed}")
                string(APPEND faults "\n  ${where} includes ${header}: ${folder} may include only ${may}")
            endif()
        endforeach()
    endforeach()
endforeach()

# The controls and the editor draw only through the toolkit's drawing context, so that the same
# code draws on every system: no drawing library's or Windows' header above the toolkit, and
# cairo only in the toolkit's cairo backend.
set(RIMBA_SYSTEM_HEADER_RULES
    "plugin/editor:cairo|windows|gdiplus|ole2|objidl|shlobj|commdlg"
    "plugin/editor/toolkit:cairo")
foreach(rule IN LISTS RIMBA_SYSTEM_HEADER_RULES)
    string(REPLACE ":" ";" parts "${rule}")
    list(GET parts 0 folder)
    list(GET parts 1 refused)
    file(GLOB_RECURSE sources "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
    foreach(source IN LISTS sources)
        file(RELATIVE_PATH where "${ROOT}" "${source}")
        if(where MATCHES "^plugin/editor/toolkit/cairo/" OR
           (NOT folder STREQUAL "plugin/editor/toolkit" AND where MATCHES "^plugin/editor/toolkit/"))
            continue()
        endif()
        file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+<[^>]+>")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+<([^>]+)>.*$" "\\1" header "${line}")
            string(TOLOWER "${header}" lowered)
            if(lowered MATCHES "^(${refused})([./_-]|$)")
                string(APPEND faults
                       "\n  ${where} includes <${header}>: ${folder} draws through the toolkit's drawing context")
            endif()
        endforeach()
    endforeach()
endforeach()

# The tests' way into the engine's state (tests/support/InstrumentProbe.h) is for the programs
# that drive the engine to test it: the tests, the benchmarks, the fuzz targets and the factory
# library's generator. The instrument, its editor and tools, the companion and the standalone
# program reach the state only through the engine's public functions.
set(RIMBA_PROBE_REFUSED plugin common companion StandAlone tools)
foreach(folder IN LISTS RIMBA_PROBE_REFUSED)
    file(GLOB_RECURSE sources "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
    foreach(source IN LISTS sources)
        file(RELATIVE_PATH where "${ROOT}" "${source}")
        if(where MATCHES "^tools/factory/")
            continue()
        endif()
        file(STRINGS "${source}" probes REGEX "^[ \t]*#[ \t]*include[ \t]+[\"<][^\">]*InstrumentProbe\\.h[\">]")
        if(probes)
            string(APPEND faults "\n  ${where} includes the tests' InstrumentProbe.h: only tests reach the state that way")
        endif()
    endforeach()
endforeach()

if(faults)
    message(FATAL_ERROR "An include runs back up the layers:${faults}")
endif()
