# Builds one man page: scdoc turns the source IN into roff, gzip -9n packs it
# into OUT (no name or time stamp inside, so equal sources give equal bytes).
# cmake -DSCDOC=scdoc -DIN=page.1.scd -DOUT=page.1.gz -P scdoc.cmake
execute_process(COMMAND ${SCDOC} INPUT_FILE ${IN} OUTPUT_FILE ${OUT}.roff RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE ${OUT}.roff)
    message(FATAL_ERROR "scdoc could not read ${IN}: ${status}")
endif()
execute_process(COMMAND gzip -9 -n -c ${OUT}.roff OUTPUT_FILE ${OUT} RESULT_VARIABLE status)
file(REMOVE ${OUT}.roff)
if(NOT status EQUAL 0)
    file(REMOVE ${OUT})
    message(FATAL_ERROR "gzip could not pack ${OUT}: ${status}")
endif()
