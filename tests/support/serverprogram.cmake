# Gives a test program the path of the game's web server as QUELLAN_SERVER_PROGRAM, empty
# when the server is not built (the tests that need it then skip).
function(quellan_use_server_program target)
    if(TARGET quellan-server)
        target_compile_definitions(${target} PRIVATE
            QUELLAN_SERVER_PROGRAM="$<TARGET_FILE:quellan-server>")
        add_dependencies(${target} quellan-server)
    else()
        target_compile_definitions(${target} PRIVATE QUELLAN_SERVER_PROGRAM="")
    endif()
endfunction()
