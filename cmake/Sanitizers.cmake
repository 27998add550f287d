if(RIMBA_SANITIZE)
    set(RIMBA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    add_compile_options(${RIMBA_SANITIZER_FLAGS})
    add_link_options(${RIMBA_SANITIZER_FLAGS})
endif()
