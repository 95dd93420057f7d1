# Authenticode signatures of what the project ships (cmake/sign.sh): the
# certificate comes from the environment, or is a throwaway one made in this
# build tree.
set(PELRIN_SIGNING_DIR "${CMAKE_BINARY_DIR}/signing")
set(PELRIN_SIGN_SCRIPT "${PROJECT_SOURCE_DIR}/cmake/sign.sh")
# Valid from the source date on, the signing time of everything it signs.
add_custom_command(OUTPUT "${PELRIN_SIGNING_DIR}/throwaway.p12"
  COMMAND ${PELRIN_FIXED_CLOCK} sh "${PELRIN_SIGN_SCRIPT}" --throwaway "${PELRIN_SIGNING_DIR}"
  DEPENDS "${PELRIN_SIGN_SCRIPT}"
  COMMENT "Throwaway signing certificate"
  VERBATIM)
add_custom_target(pelrin_signing_certificate DEPENDS "${PELRIN_SIGNING_DIR}/throwaway.p12")

# pelrin_sign(<target>): the target's file is signed each time it is linked.
function(pelrin_sign target)
  add_dependencies(${target} pelrin_signing_certificate)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${CMAKE_COMMAND}" -E env "SOURCE_DATE_EPOCH=${PELRIN_SOURCE_DATE_EPOCH}"
            sh "${PELRIN_SIGN_SCRIPT}" "$<TARGET_FILE:${target}>" "${PELRIN_SIGNING_DIR}"
    VERBATIM)
endfunction()
