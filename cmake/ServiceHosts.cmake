# Service host of each data-centre code. Compiled in; the defaults are reserved example names so that a
# default build never reaches a real service.
set(ORVO_HOST_COM "wendra.orvo.example" CACHE STRING "Main service host (data centre \"com\")")
set(ORVO_HOST_LAB "lab.wendra.orvo.example" CACHE STRING "Service host of data centre \"lab\"")
foreach(code eu in au cn jp ca uk sa ae)
    string(TOUPPER ${code} upper)
    set(ORVO_HOST_${upper} "${code}.wendra.orvo.example" CACHE STRING "Service host of data centre \"${code}\"")
endforeach()
