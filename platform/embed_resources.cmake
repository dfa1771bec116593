# varnik_embed_resources(TARGET exe THEME file CHANNEL text VERSION a.b.c.d
#                        [DEPENDS targets...])
# Writes the resource table (skin package "THEME" 136, channel "CHANNEL" 138,
# version record "VERSION" 1) into the resource section of the linked
# executable after every link, with the tool varnik_resource_writer. The executable relinks, and so gets a
# fresh table, whenever the skin file changes. The channel of a built
# executable can later be rewritten with the same tool, without relinking.
function(varnik_embed_resources)
  cmake_parse_arguments(ARG "" "TARGET;THEME;CHANNEL;VERSION" "DEPENDS" ${ARGN})
  add_custom_command(TARGET ${ARG_TARGET} POST_BUILD
    COMMAND varnik_resource_writer $<TARGET_FILE:${ARG_TARGET}>
            --theme ${ARG_THEME} --channel ${ARG_CHANNEL} --version ${ARG_VERSION}
    COMMENT "Embedding resources into ${ARG_TARGET}"
    VERBATIM)
  add_dependencies(${ARG_TARGET} varnik_resource_writer ${ARG_DEPENDS})
  set_property(TARGET ${ARG_TARGET} APPEND PROPERTY LINK_DEPENDS ${ARG_THEME})
endfunction()
