# zminit.tcl -- sourced into every world's interpreter when the world is
# made. It states the version of the script interface and the procedures the
# program calls by name.

set zmVersion 1.04

# Called with the error text whenever a procedure, a task or a script file
# fails; the text goes to the log window.
proc zmTclerror {message} {
    zmError "Tcl error: $message"
}

# Called before another world is loaded while this world's toolkit runs:
# its shown windows step aside and are remembered.
proc zmTkSuspend {} {
    global zmTkHidden
    set zmTkHidden {}
    foreach window [winfo children .] {
        if {[winfo toplevel $window] eq $window && [winfo ismapped $window]} {
            lappend zmTkHidden $window
            wm withdraw $window
        }
    }
}

# Called after the world is loaded again: the windows zmTkSuspend hid come
# back.
proc zmTkResume {} {
    global zmTkHidden
    if {![info exists zmTkHidden]} {
        return
    }
    foreach window $zmTkHidden {
        if {[winfo exists $window]} {
            wm deiconify $window
        }
    }
    set zmTkHidden {}
}
