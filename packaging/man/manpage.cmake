# Makes a program's manual page from its own --help and --version with help2man, so the
# page never drifts from the options, and compresses it as Debian installs manual pages.
#
# cmake -DHELP2MAN=... -DPROGRAM=<built program> -DSUMMARY=<one line for NAME>
#       [-DINCLUDES=<h2m files, ;-separated>] [-DCOMMANDS=ON] -DOUTPUT=<page.1.gz>
#       -P manpage.cmake
#
# COMMANDS=ON: the program lists its commands under "commands:" in --help and prints a
# command's help for "help COMMAND"; each becomes an entry of a COMMANDS section.
cmake_minimum_required(VERSION 3.25)

foreach(required HELP2MAN PROGRAM SUMMARY OUTPUT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "manpage.cmake: ${required} is not set")
  endif()
endforeach()

get_filename_component(name "${PROGRAM}" NAME)
get_filename_component(outdir "${OUTPUT}" DIRECTORY)
set(page "${outdir}/${name}.1")
set(include_args)
foreach(include IN LISTS INCLUDES)
  list(APPEND include_args "--include=${include}")
endforeach()

# Roff text of plain lines: backslashes, leading dots and quotes, and hyphens made safe.
function(to_roff text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(COMMANDS)
  execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name} --help failed (${status})")
  endif()
  string(REGEX MATCH "\ncommands:\n(  [^\n]*\n)+" listed "${help}")
  string(REGEX MATCHALL "\n  [a-z][a-z-]*" names "${listed}")
  if(NOT names)
    message(FATAL_ERROR "${name} --help lists no commands")
  endif()
  set(section "[COMMANDS]\n")
  foreach(entry IN LISTS names)
    string(STRIP "${entry}" command)
    execute_process(COMMAND "${PROGRAM}" help ${command}
                    OUTPUT_VARIABLE text RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${name} help ${command} failed (${status})")
    endif()
    # "Usage: <program> <connection options> <command synopsis>", a blank line, the help;
    # a command that needs no logger has no connection options.
    string(FIND "${text}" "\n\n" split)
    string(SUBSTRING "${text}" 0 ${split} usage)
    math(EXPR body_start "${split} + 2")
    string(SUBSTRING "${text}" ${body_start} -1 body)
    string(FIND "${usage}" "] ${command}" at)
    if(at LESS 0)
      string(FIND "${usage}" "${name} ${command}" at)
      if(at GREATER_EQUAL 0)
        string(LENGTH "${name}" length)
        math(EXPR at "${at} + ${length} - 1")  # as if "] " stood before the command
      endif()
    endif()
    if(at LESS 0)
      message(FATAL_ERROR "${name} help ${command}: no synopsis in \"${usage}\"")
    endif()
    math(EXPR at "${at} + 2")
    string(SUBSTRING "${usage}" ${at} -1 synopsis)
    string(STRIP "${body}" body)
    to_roff("${synopsis}" synopsis)
    to_roff("${body}" body)
    # Not .B: the synopsis can hold double quotes, which a macro takes as its own.
    string(APPEND section ".TP\n\\fB${synopsis}\\fR\n${body}\n")
  endforeach()
  set(commands_include "${outdir}/${name}-commands.h2m")
  file(WRITE "${commands_include}" "${section}")
  list(PREPEND include_args "--include=${commands_include}")

  # help2man reads the program through a wrapper of the same name whose --help leaves out
  # the bare list of commands, which the COMMANDS section now holds with their help.
  set(wrapper_dir "${outdir}/${name}-help")
  file(MAKE_DIRECTORY "${wrapper_dir}")
  file(WRITE "${wrapper_dir}/${name}"
"#!/bin/sh
if [ \"$1\" = --help ]; then
  \"${PROGRAM}\" --help | sed '/^commands:$/,/^$/d'
else
  exec \"${PROGRAM}\" \"$@\"
fi
")
  file(CHMOD "${wrapper_dir}/${name}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  set(PROGRAM "${wrapper_dir}/${name}")
endif()

execute_process(
  COMMAND "${HELP2MAN}" --no-info --section=1 "--name=${SUMMARY}" ${include_args}
          "--output=${page}" "${PROGRAM}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${name} (${status})")
endif()

# gzip -9n: no name or time stamp in the header, so the same page compresses the same.
execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${page}")
endif()
if(NOT "${page}.gz" STREQUAL "${OUTPUT}")
  file(RENAME "${page}.gz" "${OUTPUT}")
endif()
