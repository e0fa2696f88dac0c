# The key that signs the bundles the build makes, and the command that signs one.
#
# -DORVO_SIGNING_KEY=PATH names an Ed25519 private key in PEM (a release's key, kept outside the checkout).
# Without it the build makes a throw-away pair under build/signing/. Either way the public half is written to
# build/signing/signing-key.pub.pem, and the plugin trusts it (src/CMakeLists.txt embeds it).
#
# After this file:
#   ORVO_SIGNING_KEY_FILE, ORVO_SIGNING_PUBLIC_KEY_FILE: the two keys' paths.
#   orvo_sign_bundle(OUTPUT stamp BUNDLE dir [COMPANIONS files...] [DEPENDS targets-or-files...] [COMMENT text])
#     adds the custom command that signs the bundle at dir and touches stamp; list in DEPENDS whatever fills the
#     bundle, so that any change to it signs again. Build the stamp from a target of the calling directory.
find_program(ORVO_OPENSSL_PROGRAM openssl REQUIRED)
set(ORVO_SIGNING_KEY "" CACHE FILEPATH
    "Ed25519 private key (PEM) that signs the bundles; empty: a throw-away pair made under build/signing/")

set(ORVO_SIGNING_DIR "${CMAKE_BINARY_DIR}/signing")
file(MAKE_DIRECTORY "${ORVO_SIGNING_DIR}")
file(CHMOD "${ORVO_SIGNING_DIR}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(ORVO_SIGNING_PUBLIC_KEY_FILE "${ORVO_SIGNING_DIR}/signing-key.pub.pem")

if(ORVO_SIGNING_KEY)
    get_filename_component(ORVO_SIGNING_KEY_FILE "${ORVO_SIGNING_KEY}" ABSOLUTE BASE_DIR "${CMAKE_BINARY_DIR}")
    if(NOT EXISTS "${ORVO_SIGNING_KEY_FILE}")
        message(FATAL_ERROR "ORVO_SIGNING_KEY: no file at ${ORVO_SIGNING_KEY_FILE}")
    endif()
else()
    set(ORVO_SIGNING_KEY_FILE "${ORVO_SIGNING_DIR}/signing-key.pem")
    # openssl writes private keys readable by their owner only.
    add_custom_command(
        OUTPUT "${ORVO_SIGNING_KEY_FILE}"
        COMMAND "${ORVO_OPENSSL_PROGRAM}" genpkey -algorithm ed25519 -out "${ORVO_SIGNING_KEY_FILE}"
        COMMENT "Making a throw-away signing key"
        VERBATIM)
endif()
add_custom_command(
    OUTPUT "${ORVO_SIGNING_PUBLIC_KEY_FILE}"
    COMMAND "${ORVO_OPENSSL_PROGRAM}" pkey -in "${ORVO_SIGNING_KEY_FILE}" -pubout -out "${ORVO_SIGNING_PUBLIC_KEY_FILE}"
    DEPENDS "${ORVO_SIGNING_KEY_FILE}"
    COMMENT "Writing the signing key's public half"
    VERBATIM)
add_custom_target(orvo_signing_key ALL DEPENDS "${ORVO_SIGNING_KEY_FILE}" "${ORVO_SIGNING_PUBLIC_KEY_FILE}")

function(orvo_sign_bundle)
    cmake_parse_arguments(PARSE_ARGV 0 SIGN "" "OUTPUT;BUNDLE;COMMENT" "COMPANIONS;DEPENDS")
    if(NOT SIGN_OUTPUT OR NOT SIGN_BUNDLE)
        message(FATAL_ERROR "orvo_sign_bundle: OUTPUT and BUNDLE are required")
    endif()
    if(NOT SIGN_COMMENT)
        set(SIGN_COMMENT "Signing ${SIGN_BUNDLE}")
    endif()
    set(companions)
    foreach(companion IN LISTS SIGN_COMPANIONS)
        list(APPEND companions --companion "${companion}")
    endforeach()
    add_custom_command(
        OUTPUT "${SIGN_OUTPUT}"
        COMMAND orvo-codesign sign --key "${ORVO_SIGNING_KEY_FILE}" "${SIGN_BUNDLE}" ${companions}
        COMMAND ${CMAKE_COMMAND} -E touch "${SIGN_OUTPUT}"
        DEPENDS orvo-codesign orvo_signing_key "${ORVO_SIGNING_KEY_FILE}" ${SIGN_COMPANIONS} ${SIGN_DEPENDS}
        COMMENT "${SIGN_COMMENT}"
        VERBATIM)
endfunction()
