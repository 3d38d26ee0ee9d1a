# quellan_headers(target [header...]) gives `target` an include folder of its own in the build
# tree, holding links to just its headers at their paths below the source folder, and exports
# that folder alone. Includes read "folder/file.h" everywhere, yet only a target that links
# `target` finds its headers. Without a list, the headers among the target's sources are taken.
function(quellan_headers target)
    set(headers ${ARGN})
    if(NOT headers)
        get_target_property(headers ${target} SOURCES)
        list(FILTER headers INCLUDE REGEX "\\.h$")
    endif()
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    # Built afresh, so a header that left the target is gone from its folder too.
    file(REMOVE_RECURSE ${root})
    foreach(header ${headers})
        cmake_path(ABSOLUTE_PATH header BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
            NORMALIZE)
        cmake_path(RELATIVE_PATH header BASE_DIRECTORY ${CMAKE_SOURCE_DIR}
            OUTPUT_VARIABLE relative)
        cmake_path(GET relative PARENT_PATH folder)
        file(MAKE_DIRECTORY ${root}/${folder})
        file(CREATE_LINK ${header} ${root}/${relative} SYMBOLIC)
    endforeach()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
