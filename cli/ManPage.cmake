# Writes the manual page of ferrandine-cli from the program's own --help and --version, so that the
# page says what the program does.
#   cmake -DCLI=<ferrandine-cli> -DOUTPUT=<ferrandine-cli.1> -P ManPage.cmake
foreach(option help version)
    execute_process(COMMAND ${CLI} --${option} OUTPUT_VARIABLE ${option} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${CLI} --${option} failed: ${result}")
    endif()
endforeach()
string(STRIP "${version}" version)

# roff: a backslash is written \e, a minus sign \- (a plain "-" may be set as a hyphen), and a line
# starting with "." or "'" would be taken for a request.
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")

file(WRITE ${OUTPUT} ".TH FERRANDINE\\-CLI 1 \"\" \"${version}\" \"User Commands\"
.SH NAME
ferrandine\\-cli \\- reads FoxPro tables and copies them into Microsoft SQL Server
.SH DESCRIPTION
.nf
${help}.fi
.SH SEE ALSO
The window program,
.BR ferrandine ,
does the same conversion with an SQL preview.
")
