# cmake -DIN=... -DOUT=... [-DCP932=ON] -P ConvertText.cmake
# Writes IN with CR LF line ends, and as code page 932 when asked: the
# host's users read text in that form, with the plainest editors.
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
if(CP932)
  file(WRITE "${OUT}.utf8" "${text}")
  execute_process(COMMAND iconv -f UTF-8 -t CP932 "${OUT}.utf8"
    OUTPUT_FILE "${OUT}" RESULT_VARIABLE rc ERROR_VARIABLE err)
  file(REMOVE "${OUT}.utf8")
  if(NOT rc EQUAL 0)
    file(REMOVE "${OUT}")
    message(FATAL_ERROR "iconv could not write ${IN} as CP932: ${err}")
  endif()
else()
  file(WRITE "${OUT}" "${text}")
endif()
