# Writes the header that carries the trusted public key into the plugin:
#   cmake -DPUBLIC_KEY=signing-key.pub.pem -DOUTPUT=SigningKey.h -P EmbedSigningKey.cmake
file(READ "${PUBLIC_KEY}" pem)
string(FIND "${pem}" ")orvokey\"" clash)
if(NOT pem MATCHES "^-----BEGIN PUBLIC KEY-----" OR NOT clash EQUAL -1)
    message(FATAL_ERROR "${PUBLIC_KEY} is not a public key in PEM")
endif()
file(WRITE "${OUTPUT}" "#pragma once

// Made by the build from ${PUBLIC_KEY}: the public key whose signatures the plugin trusts.
inline constexpr char trustedSigningKeyPem[] = R\"orvokey(${pem})orvokey\";
")
