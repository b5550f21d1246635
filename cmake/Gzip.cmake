# normcalc_gzip(<input> <output>): a build rule that compresses <input> into <output> the way
# Debian packages ship manual pages and changelogs.
find_program(NORMCALC_GZIP gzip REQUIRED)

function(normcalc_gzip input output)
  get_filename_component(dir ${output} DIRECTORY)
  get_filename_component(name ${output} NAME_WLE)
  # -9 as Debian's policy asks; -n leaves out the name and time stamp, so that the same file
  # always gives the same bytes.
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${input} ${dir}/${name}
    COMMAND ${NORMCALC_GZIP} -9 -n -f ${dir}/${name}
    DEPENDS ${input}
    VERBATIM)
endfunction()
