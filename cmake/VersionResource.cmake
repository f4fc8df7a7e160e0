# quillfin_version_resource(target description): gives a Windows program a
# version resource with the project's version as file and product version.
function(quillfin_version_resource target description)
    string(REPLACE "." ";" parts "${PROJECT_VERSION}")
    list(APPEND parts 0 0 0)
    set(numbers)
    foreach(index 0 1 2 3)
        list(GET parts ${index} part)
        # "02" is 2: a leading zero would make the resource compiler read octal.
        math(EXPR part "${part} + 0")
        list(APPEND numbers ${part})
    endforeach()
    string(REPLACE ";" "," QUILLFIN_VERSION_COMMAS "${numbers}")
    set(QUILLFIN_EXE ${target})
    set(QUILLFIN_EXE_DESCRIPTION "${description}")
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${out} @ONLY)
    target_sources(${target} PRIVATE ${out})
endfunction()
