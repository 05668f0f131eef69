# The update servers and signing key a build trusts when HKCU\Software\Kolvex\Update names none. The open
# build's servers lie under the reserved .invalid domain and it has no key, so it reaches no one and installs
# nothing. A deployer sets them when configuring:
#   -DKOLVEX_UPDATE_PRIMARY=https://updates.example.com -DKOLVEX_UPDATE_SECONDARY=https://mirror.example.com:7002
#   -DKOLVEX_UPDATE_PUBLIC_KEY=/path/to/key.blob   (a CryptoAPI PUBLICKEYBLOB, RSA 2048 bits or more)
set(KOLVEX_UPDATE_PRIMARY "http://update.kolvex.invalid" CACHE STRING "Primary update server, http(s)://host[:port]")
set(KOLVEX_UPDATE_SECONDARY "http://update2.kolvex.invalid:7002" CACHE STRING
    "Secondary update server, http(s)://host[:port]")
set(KOLVEX_UPDATE_PUBLIC_KEY "" CACHE FILEPATH "PUBLICKEYBLOB file of the key that signs updates; empty for none")

foreach(setting KOLVEX_UPDATE_PRIMARY KOLVEX_UPDATE_SECONDARY)
    if(NOT ${setting} MATCHES "^https?://[A-Za-z0-9][A-Za-z0-9.-]*(:[0-9]+)?/?$")
        message(FATAL_ERROR "${setting} must be http://host[:port] or https://host[:port], not '${${setting}}'")
    endif()
endforeach()

set(KOLVEX_UPDATE_KEY_BYTES 0)
set(KOLVEX_UPDATE_KEY_SIZE 0)
if(KOLVEX_UPDATE_PUBLIC_KEY)
    file(READ "${KOLVEX_UPDATE_PUBLIC_KEY}" key_hex HEX)
    string(LENGTH "${key_hex}" key_hex_length)
    math(EXPR KOLVEX_UPDATE_KEY_SIZE "${key_hex_length} / 2")
    # BLOBHEADER {PUBLICKEYBLOB, 2, 0, CALG_RSA_KEYX or CALG_RSA_SIGN}, then "RSA1".
    if(KOLVEX_UPDATE_KEY_SIZE LESS 276 OR NOT key_hex MATCHES "^0602000000(a4|24)000052534131")
        message(FATAL_ERROR "KOLVEX_UPDATE_PUBLIC_KEY is not a PUBLICKEYBLOB of an RSA key of 2048 bits or more")
    endif()
    string(REGEX REPLACE "(..)" "0x\\1," KOLVEX_UPDATE_KEY_BYTES "${key_hex}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${KOLVEX_UPDATE_PUBLIC_KEY}")
endif()

configure_file(${CMAKE_SOURCE_DIR}/src/update/update_defaults.h.in ${CMAKE_BINARY_DIR}/generated/update_defaults.h
               @ONLY)
target_include_directories(kolvex_app PRIVATE ${CMAKE_BINARY_DIR}/generated)
