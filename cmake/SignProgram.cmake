# Signs the program that ships with Authenticode (SHA-256 digest) through osslsigncode; included
# by MakeDist.cmake.
#
# The certificate is a PKCS#12 file (SETUP_SIGN_PKCS12), or a PEM certificate with its key
# (SETUP_SIGN_CERT, SETUP_SIGN_KEY). These, SETUP_SIGN_PASSWORD_FILE and SETUP_SIGN_TIMESTAMP_URL
# are taken from the cache when set there, else from the environment of the build. The password is
# the first line of SETUP_SIGN_PASSWORD_FILE, without its CR LF or LF, or, without such a file, the
# environment variable SETUP_SIGN_PASSWORD. It reaches openssl and osslsigncode on their standard input: never in
# CMakeCache.txt, and never on a command line that another user of the machine can list.

# Ends the build; the caller has already removed the release folder.
function(_sign_fail text)
  message(FATAL_ERROR "cannot sign setup.exe: ${text}")
endfunction()

# Runs a program that reads the password on its standard input, from _sign_password (see below).
# Sets <code> to its exit code and <text> to what it said, without OpenSSL's stack of error codes
# and osslsigncode's bare verdict, which name no cause.
function(_sign_run code text)
  execute_process(${_sign_password} COMMAND ${ARGN}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  string(REPLACE "\n" ";" lines "${output}")
  list(FILTER lines EXCLUDE REGEX "^([0-9A-F]+:error:|Failed$|Succeeded$|$)")
  list(JOIN lines "; " said)
  set(${code} ${result} PARENT_SCOPE)
  set(${text} "${said}" PARENT_SCOPE)
endfunction()

# Writes the signer's certificate to <signer>, proving on the way that the password opens the
# PKCS#12 file or the key.
function(_sign_read_signer signer)
  if(NOT SETUP_SIGN_PKCS12 STREQUAL "")
    set(file ${SETUP_SIGN_PKCS12})
    set(read ${OPENSSL} pkcs12 -in ${file} -passin stdin -nokeys -clcerts -out ${signer})
    _sign_run(code text ${read})
    if(NOT code EQUAL 0)
      # Older Windows exports its PKCS#12 files with RC2, which OpenSSL 3 keeps in its legacy
      # provider; osslsigncode loads that provider itself.
      _sign_run(code ignored ${read} -legacy)
    endif()
  else()
    set(file ${SETUP_SIGN_KEY})
    execute_process(COMMAND ${OPENSSL} x509 -in ${SETUP_SIGN_CERT} -out ${signer}
                    RESULT_VARIABLE code OUTPUT_QUIET ERROR_QUIET)
    if(NOT code EQUAL 0)
      _sign_fail("${SETUP_SIGN_CERT} holds no PEM certificate")
    endif()
    _sign_run(code text ${OPENSSL} pkey -in ${file} -passin stdin -noout)
  endif()
  if(NOT code EQUAL 0)
    _sign_fail("${file} does not open with the given password: a wrong password, or not the \
file it should be (openssl: ${text})")
  endif()
endfunction()

# Signs <unsigned> into <work> and sets <shipped> to the file that ships: the signed copy, or
# <unsigned> itself when no certificate is given. Everything is checked before osslsigncode runs,
# and osslsigncode writes only in <work>, so no failure leaves a file signed halfway for the
# release folder.
function(sign_program unsigned work shipped)
  set(settings PKCS12 CERT KEY PASSWORD_FILE TIMESTAMP_URL)
  foreach(setting IN LISTS settings)
    if("${SETUP_SIGN_${setting}}" STREQUAL "")
      set(SETUP_SIGN_${setting} "$ENV{SETUP_SIGN_${setting}}")
    endif()
  endforeach()

  set(pkcs12 "${SETUP_SIGN_PKCS12}")
  set(pair "${SETUP_SIGN_CERT}${SETUP_SIGN_KEY}")
  if(pkcs12 STREQUAL "" AND pair STREQUAL "")
    message(STATUS "dist: setup.exe is not signed (no certificate given)")
    set(${shipped} ${unsigned} PARENT_SCOPE)
    return()
  elseif(NOT pkcs12 STREQUAL "" AND pair STREQUAL "")
    set(files PKCS12)
    set(credentials -pkcs12 ${pkcs12})
  elseif(pkcs12 STREQUAL "" AND NOT SETUP_SIGN_CERT STREQUAL "" AND NOT SETUP_SIGN_KEY STREQUAL "")
    set(files CERT KEY)
    set(credentials -certs ${SETUP_SIGN_CERT} -key ${SETUP_SIGN_KEY})
  else()
    _sign_fail("give SETUP_SIGN_PKCS12 alone, or SETUP_SIGN_CERT with SETUP_SIGN_KEY")
  endif()
  if(NOT SETUP_SIGN_PASSWORD_FILE STREQUAL "")
    list(APPEND files PASSWORD_FILE)
  endif()
  # The build runs in its own folder, so a relative path from the environment would point into
  # the build tree rather than where the engineer stood.
  foreach(setting IN LISTS files)
    set(path "${SETUP_SIGN_${setting}}")
    if(NOT IS_ABSOLUTE "${path}")
      _sign_fail("SETUP_SIGN_${setting} is not an absolute path: ${path}")
    elseif(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
      _sign_fail("SETUP_SIGN_${setting} names no file: ${path}")
    endif()
  endforeach()

  find_program(OSSLSIGNCODE osslsigncode)
  find_program(OPENSSL openssl)
  if(NOT OSSLSIGNCODE OR NOT OPENSSL)
    _sign_fail("osslsigncode and openssl are needed (scripts/install-deps.sh installs them)")
  endif()

  # Both tools get the password as one line from the shell's own read and printf, so it is never a
  # program's argument. Given the file itself, openssl would take its first line CR and all, and
  # osslsigncode the whole of it: a password file saved on Windows, or with a note below the
  # password, would open with one tool and not the other. Without a password an empty line goes
  # in, which stops both tools from asking on the terminal of the build.
  if(NOT SETUP_SIGN_PASSWORD_FILE STREQUAL "")
    set(_sign_password COMMAND sh -c [[
      IFS= read -r password <"$1"
      printf '%s\n' "${password%"$(printf '\r')"}"]] sh ${SETUP_SIGN_PASSWORD_FILE})
  else()
    set(_sign_password COMMAND sh -c [[printf '%s\n' "${SETUP_SIGN_PASSWORD-}"]])
  endif()

  file(REMOVE_RECURSE ${work})
  file(MAKE_DIRECTORY ${work})
  set(signer ${work}/signer.pem)
  _sign_read_signer(${signer})

  # A certificate without the code-signing usage still lets osslsigncode sign, but Windows trusts
  # nothing it signs: stop here rather than ship that.
  execute_process(COMMAND ${OPENSSL} x509 -in ${signer} -noout -subject -nameopt RFC2253
                          -ext extendedKeyUsage
                  OUTPUT_VARIABLE about ERROR_QUIET)
  string(REGEX MATCH "subject=([^\n]*)" ignored "${about}")
  set(subject "${CMAKE_MATCH_1}")
  # The heading ends in "critical" where the certificate marks the usage so.
  string(REGEX MATCH "Extended Key Usage:[^\n]*\n *([^\n]*)" ignored "${about}")
  set(usages "${CMAKE_MATCH_1}")
  if(NOT usages MATCHES "(^|, )Code Signing(,|$)")
    if(usages STREQUAL "")
      set(usages "none")
    endif()
    _sign_fail("the certificate of ${subject} is not for code signing \
(its Extended Key Usage: ${usages})")
  endif()

  set(timestamp "")
  set(stamped "no timestamp")
  if(NOT SETUP_SIGN_TIMESTAMP_URL STREQUAL "")
    set(timestamp -ts ${SETUP_SIGN_TIMESTAMP_URL})
    set(stamped "timestamp from ${SETUP_SIGN_TIMESTAMP_URL}")
  endif()
  get_filename_component(name ${unsigned} NAME)
  set(signed ${work}/${name})
  # The description is what Windows names the program in its administrator prompt; osslsigncode
  # stores it as ASCII.
  _sign_run(code text ${OSSLSIGNCODE} sign ${credentials} -readpass - -h sha256
            -n "tessal setup" ${timestamp} -in ${unsigned} -out ${signed})
  if(NOT code EQUAL 0)
    file(REMOVE ${signed})
    _sign_fail("osslsigncode failed (${text})")
  endif()
  message(STATUS "dist: setup.exe signed by ${subject} (SHA-256, ${stamped})")
  set(${shipped} ${signed} PARENT_SCOPE)
endfunction()
