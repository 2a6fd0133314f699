# talvex-view as a user meets it, under Xvfb: driven by the synthetic events
# of view_test.txt on a script file it watches, and started on a script that
# does not compile.
# Then, printed only: the frames a second it reaches turning a 1280 x 960
# chart of three 100 x 100 surfaces.
# -DVIEWER=talvex-view -DSCRIPT=view_test.txt -DDATA_SCRIPT=view_data_test.txt -DSPEED_SCRIPT=view_speed.txt -DSPEED_LOOKS="classic;chart"
#   -DSAMPLES=4 -DWORK=directory
set(xvfb xvfb-run -a -s "-screen 0 1024x768x24")
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/view_surface.txt "z = sin(x)*cos(y)\n")
file(REMOVE ${WORK}/talvex-view.png)
execute_process(COMMAND ${xvfb} ${VIEWER} --size 640x480 --samples ${SAMPLES} view_surface.txt --test-script ${SCRIPT}
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the viewer's test script failed (${result})")
endif()

# Data in place of a script, read again when its file changes.
file(WRITE ${WORK}/heights.txt "0 1 0\n1 2 1\n0 1 0\n")
execute_process(COMMAND ${xvfb} ${VIEWER} --size 640x480 --samples ${SAMPLES} --data heights.txt
                        --test-script ${DATA_SCRIPT}
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the viewer's test script on data failed (${result})")
endif()

execute_process(COMMAND ${xvfb} ${VIEWER} -e "z = 1" -e "z = (x"
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 1 OR NOT errors MATCHES "script 2, line 1: more '\\(' than '\\)'")
  message(FATAL_ERROR "a broken script at the start: status ${result}, said: ${errors}")
endif()

# Without a display the viewer says so and ends, rather than running unseen.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=SDL_VIDEODRIVER
                  ${VIEWER} -e "z = 1"
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE result ERROR_VARIABLE errors TIMEOUT 30)
if(NOT result EQUAL 1 OR NOT errors MATCHES "no display")
  message(FATAL_ERROR "the viewer without a display: status ${result}, said: ${errors}")
endif()

set(grid "xgrid = 99\nygrid = 99\n")
# The same three surfaces turned in each look of SPEED_LOOKS (classic,
# chart), with SAMPLES per pixel and a title in the chart look.
foreach(look ${SPEED_LOOKS})
  execute_process(COMMAND xvfb-run -a -s "-screen 0 1600x1200x24" ${VIEWER} --size 1280x960
                    -e "${grid}z = sin(x)*cos(y)" -e "${grid}z = sqrt(x^2 + y^2)"
                    -e "${grid}z = exp((x*x + y*y)/(0-8))*cos(x*y)*3" --style ${look} --samples ${SAMPLES} --title Speed
                    --test-script ${SPEED_SCRIPT}
                  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  message(STATUS "the ${look} look: ${output}")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "the viewer at 1280 x 960 in the ${look} look failed (${result}): ${errors}")
  endif()
endforeach()
