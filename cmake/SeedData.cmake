# Copies SOURCE to TARGET once; later builds leave the copy (and the user's changes) alone.
if(NOT EXISTS "${TARGET}")
  file(COPY "${SOURCE}/" DESTINATION "${TARGET}.partial")
  file(RENAME "${TARGET}.partial" "${TARGET}")
endif()
