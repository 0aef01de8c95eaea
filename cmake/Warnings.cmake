# Project warning set; the dependencies (GoogleTest) keep their own flags.
function(illsxmk_warnings target)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wshadow)
        if(ILLSXMK_WERROR)
            target_compile_options(${target} PRIVATE -Werror)
        endif()
    endif()
endfunction()

# Makes each use of a name that the host stand-in marks as its own (not promised by the viewer's
# contract) a compile error in the target's own files.
function(illsxmk_refuse_standin_extras target)
    target_compile_definitions(${target} PRIVATE SXHOST_REFUSE_STANDIN_EXTRAS)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -Werror=deprecated-declarations)
    elseif(MSVC)
        target_compile_options(${target} PRIVATE /we4996)
    endif()
endfunction()
