# Sanitizers and coverage apply to every target of the build, so the host, the library and the
# tests share one runtime.
if(ILLSXMK_SANITIZE)
    add_compile_options(-fsanitize=${ILLSXMK_SANITIZE} -fno-omit-frame-pointer
        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${ILLSXMK_SANITIZE})
endif()
if(ILLSXMK_COVERAGE)
    add_compile_options(--coverage -O0)
    add_link_options(--coverage)
endif()
# The standard library's own checks: an out-of-range operator[] on a container aborts with a
# message, also where the read stays inside the container's capacity and so inside memory that
# AddressSanitizer considers valid.
if(ILLSXMK_STDLIB_ASSERTIONS)
    add_compile_definitions(_GLIBCXX_ASSERTIONS)
endif()
