# Disk images made with the stand-in disk-image tool (tools/hdiutil-standin), as the platform's tool makes them.
#
# orvo_add_disk_image(TARGET name VOLNAME volume SRCDIR folder OUTPUT image [DEPENDS targets-or-files...])
#   Adds the target `name` (built by default) that writes `image`, a volume named `volume` holding the contents of
#   `folder` at its top level. The image is rebuilt when the tool or anything in DEPENDS changes; list there the
#   targets and files that fill `folder`.
function(orvo_add_disk_image)
    cmake_parse_arguments(PARSE_ARGV 0 IMAGE "" "TARGET;VOLNAME;SRCDIR;OUTPUT" "DEPENDS")
    foreach(required TARGET VOLNAME SRCDIR OUTPUT)
        if(NOT IMAGE_${required})
            message(FATAL_ERROR "orvo_add_disk_image: ${required} is required")
        endif()
    endforeach()
    get_filename_component(image_dir "${IMAGE_OUTPUT}" DIRECTORY)
    add_custom_command(
        OUTPUT "${IMAGE_OUTPUT}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${image_dir}"
        COMMAND orvo-hdiutil-standin create -ov -volname "${IMAGE_VOLNAME}" -srcfolder "${IMAGE_SRCDIR}"
                "${IMAGE_OUTPUT}"
        DEPENDS orvo-hdiutil-standin ${IMAGE_DEPENDS}
        COMMENT "Making disk image ${IMAGE_OUTPUT} (volume ${IMAGE_VOLNAME})"
        VERBATIM)
    add_custom_target(${IMAGE_TARGET} ALL DEPENDS "${IMAGE_OUTPUT}")
endfunction()
