#!/usr/bin/perl
# The scripting-language peer of the paging benchmark: Perl's Net::SNPP (Debian package
# libnet-snpp-perl) paging the pager IDs given on standard input, one a line, over one connection:
# PAGE, MESS and SEND for each, then QUIT.
#   perl netSnppClient.pl PORT MESSAGE < ids.txt
use strict;
use warnings;
use Net::SNPP;

my ($port, $message) = @ARGV;
die "usage: netSnppClient.pl PORT MESSAGE < ids\n" unless defined $message;
my $snpp = Net::SNPP->new('127.0.0.1', Port => $port) or die "netSnppClient: cannot connect: $!\n";
while (my $id = <STDIN>) {
    chomp $id;
    $snpp->send(Pager => $id, Message => $message) or die "netSnppClient: page $id refused\n";
}
$snpp->quit;
