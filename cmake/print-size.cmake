# Prints the installer's size and its own overhead: the exe less the seven
# compressed payload resources it carries.   EXE, MSZ_DIR
file(SIZE ${EXE} exe_size)
file(GLOB msz ${MSZ_DIR}/*.msz)
set(payload 0)
foreach(f ${msz})
  file(SIZE ${f} s)
  math(EXPR payload "${payload} + ${s}")
endforeach()
math(EXPR overhead "${exe_size} - ${payload}")
math(EXPR overhead_kb10 "(${overhead} * 10 + 512) / 1024")
math(EXPR kb "${overhead_kb10} / 10")
math(EXPR tenth "${overhead_kb10} % 10")
message("size: ${EXE}: ${exe_size} bytes = ${payload} bytes of compressed payload + ${overhead} bytes (${kb}.${tenth} KB) of installer")
