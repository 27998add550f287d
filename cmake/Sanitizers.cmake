if(RIMBA_SANITIZE)
    set(RIMBA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    add_compile_options(${RIMBA_SANITIZER_FLAGS})
    add_link_options(${RIMBA_SANITIZER_FLAGS})
endif()

if(RIMBA_TSAN)
    set(RIMBA_TSAN_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
    add_compile_options(${RIMBA_TSAN_FLAGS})
    add_link_options(${RIMBA_TSAN_FLAGS})
endif()
