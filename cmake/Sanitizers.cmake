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
