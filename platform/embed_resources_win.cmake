# varnik_embed_resources(TARGET exe THEME file CHANNEL text VERSION a.b.c.d
#                        [DEPENDS targets...])
# The Windows form of the same function: the executable carries real PE
# resources (skin package "THEME" 136, channel "CHANNEL" 138 in Chinese
# (PRC), a VERSIONINFO), compiled by windres from embedded_resources.rc.in.
# The channel is built into a slot of 260 bytes; after every link the host's
# varnik_resource_writer writes the channel into it and sets the resource's
# size, the same step that later gives a built installer another channel.
function(varnik_embed_resources)
  cmake_parse_arguments(ARG "" "TARGET;THEME;CHANNEL;VERSION" "DEPENDS" ${ARGN})
  string(LENGTH "${ARG_CHANNEL}" _channel_length)
  if(_channel_length GREATER 260)
    message(FATAL_ERROR "The channel holds at most 260 bytes")
  endif()
  # The slot: the channel, then zero bytes up to 260 (quotes doubled for rc).
  math(EXPR _padding "260 - ${_channel_length}")
  string(REPLACE "\"" "\"\"" VARNIK_RC_CHANNEL_SLOT "${ARG_CHANNEL}")
  if(_padding GREATER 0)
    string(REPEAT "\\0" ${_padding} _zeros)
    string(APPEND VARNIK_RC_CHANNEL_SLOT "${_zeros}")
  endif()
  set(VARNIK_RC_THEME_FILE ${ARG_THEME})
  set(VARNIK_RC_VERSION ${ARG_VERSION})
  string(REPLACE "." "," VARNIK_RC_VERSION_COMMAS "${ARG_VERSION}")
  set(_rc ${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}_resources.rc)
  configure_file(${VARNIK_PLATFORM_SOURCE_DIR}/embedded_resources.rc.in ${_rc} @ONLY)
  target_sources(${ARG_TARGET} PRIVATE ${_rc})
  set_property(SOURCE ${_rc} APPEND PROPERTY OBJECT_DEPENDS ${ARG_THEME})
  add_custom_command(TARGET ${ARG_TARGET} POST_BUILD
    COMMAND varnik_resource_writer $<TARGET_FILE:${ARG_TARGET}> --channel ${ARG_CHANNEL}
    COMMENT "Setting the channel of ${ARG_TARGET}"
    VERBATIM)
  if(ARG_DEPENDS)
    add_dependencies(${ARG_TARGET} ${ARG_DEPENDS})
  endif()
endfunction()
