# Warning flags for every target of the project.
function(brivello_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Woverloaded-virtual)
    if(BRIVELLO_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# Collects the sources of a folder, leaving out its ui/ subfolder.
function(brivello_sources out)
    set(result)
    foreach(dir ${ARGN})
        file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
        list(APPEND result ${found})
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()
