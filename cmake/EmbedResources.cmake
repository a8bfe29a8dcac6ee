# Embeds files into an executable as its resources. Each file is named TYPE/NAME.ext in the
# resource tree; the program finds it by NAME (without the extension) and TYPE.
set(KR_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_resources_script.cmake)

function(kr_embed_resources target)
    cmake_parse_arguments(ARG "" "" "FILES" ${ARGN})
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -DOUTPUT=${out} "-DFILES=${ARG_FILES}" -P ${KR_EMBED_SCRIPT}
        DEPENDS ${ARG_FILES} ${KR_EMBED_SCRIPT}
        COMMENT "Embedding resources of ${target}")
    target_sources(${target} PRIVATE ${out})
endfunction()
