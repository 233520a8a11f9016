# Applied to every target of the build, so that the libraries and the tests agree.
if(ZELTA_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(ZELTA_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(ZELTA_SANITIZE STREQUAL "fuzzer")
    # Coverage for libFuzzer in every library; only the fuzz targets link the fuzzer itself.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(NOT ZELTA_SANITIZE STREQUAL "")
    message(FATAL_ERROR "ZELTA_SANITIZE must be empty, address, thread or fuzzer")
endif()
