# Runs the quillary program once and checks how it ended:
#   cmake -DPROGRAM=... -DARGC=n -DARG0=... -DEXPECT_FAILURE=ON|OFF [-DEXPECT_EXIT=code]
#         -DSTDOUT=<regex> -DSTDERR=<regex> -P RunProgram.cmake
# Semicolons of an argument arrive as "<semicolon>". STDERR "" checks that
# nothing at all was said on standard error.
# Quoted one by one, so that semicolons stay inside their argument.
foreach(i RANGE 3)
    string(REPLACE "<semicolon>" ";" A${i} "${ARG${i}}")
endforeach()
if(ARGC EQUAL 1)
    execute_process(COMMAND ${PROGRAM} "${A0}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
elseif(ARGC EQUAL 2)
    execute_process(COMMAND ${PROGRAM} "${A0}" "${A1}"
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
elseif(ARGC EQUAL 3)
    execute_process(COMMAND ${PROGRAM} "${A0}" "${A1}" "${A2}"
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
else()
    message(FATAL_ERROR "RunProgram.cmake takes one to three arguments")
endif()
if(DEFINED EXPECT_EXIT)
    if(NOT rc EQUAL EXPECT_EXIT)
        message(FATAL_ERROR "expected exit code ${EXPECT_EXIT}, got ${rc}\nstdout: ${out}\nstderr: ${err}")
    endif()
elseif(EXPECT_FAILURE AND rc EQUAL 0)
    message(FATAL_ERROR "expected a failure, got exit code 0\nstdout: ${out}\nstderr: ${err}")
elseif(NOT EXPECT_FAILURE AND NOT rc EQUAL 0)
    message(FATAL_ERROR "expected success, got exit code ${rc}\nstdout: ${out}\nstderr: ${err}")
endif()
if(DEFINED STDOUT AND NOT out MATCHES "${STDOUT}")
    message(FATAL_ERROR "standard output does not match «${STDOUT}»:\n${out}")
endif()
if(DEFINED STDERR)
    if(STDERR STREQUAL "")
        if(NOT err STREQUAL "")
            message(FATAL_ERROR "expected nothing on standard error, got:\n${err}")
        endif()
    elseif(NOT err MATCHES "${STDERR}")
        message(FATAL_ERROR "standard error does not match «${STDERR}»:\n${err}")
    endif()
endif()
