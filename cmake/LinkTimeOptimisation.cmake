# The instrument's engine is kept in files of one concern each (the batched renderer's planner,
# lanes and sums among them); link-time optimisation lets those stages inline into each other
# again in the programs whose speed matters: the plug-in and the benchmarks that measure it.
# The instrument's objects carry machine code too ("fat"), so tests and tools link them as
# usual, without the cost of optimising every test program whole.
#
# GCC builds of any optimised type only; sanitizer, fuzzing and cross builds are left as they are.
set(RIMBA_LTO OFF)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT CMAKE_CROSSCOMPILING AND NOT RIMBA_SANITIZE AND NOT RIMBA_TSAN
   AND NOT RIMBA_FUZZ AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug" AND NOT CMAKE_BUILD_TYPE STREQUAL "")
    set(RIMBA_LTO ON)
    # Archives of LTO objects need the LTO plugin's symbol index.
    set(CMAKE_AR ${CMAKE_CXX_COMPILER_AR})
    set(CMAKE_RANLIB ${CMAKE_CXX_COMPILER_RANLIB})
endif()

# Compiles a library of the instrument with link-time information beside its machine code.
function(rimba_lto_objects target)
    if(RIMBA_LTO)
        target_compile_options(${target} PRIVATE -flto=auto -ffat-lto-objects)
    endif()
endfunction()

# Links a program or plug-in with link-time optimisation.
function(rimba_lto_link target)
    if(RIMBA_LTO)
        target_compile_options(${target} PRIVATE -flto=auto)
        target_link_options(${target} PRIVATE -flto=auto)
    endif()
endfunction()
