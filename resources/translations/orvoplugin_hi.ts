<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="hi">
<context>
    <name>ByteCountText</name>
    <message>
        <source>%1.%2 MB</source>
        <extracomment>%1.%2 is the size in megabytes with one decimal.</extracomment>
        <translation>%1.%2 MB</translation>
    </message>
    <message>
        <source>%1 of %2 (%3%)</source>
        <extracomment>12.4 MB of 96.0 MB (12%)</extracomment>
        <translation>%2 में से %1 (%3%)</translation>
    </message>
</context>
<context>
    <name>InfoWindowHandler</name>
    <message>
        <source>About</source>
        <translation>परिचय</translation>
    </message>
    <message>
        <source>About Orvo Wendra Customer Plugin</source>
        <translation>Orvo Wendra Customer Plugin के बारे में</translation>
    </message>
    <message>
        <source>Product name, version and rights notice.</source>
        <translation>उत्पाद का नाम, संस्करण और अधिकार सूचना।</translation>
    </message>
    <message>
        <source>Orvo Wendra icon</source>
        <translation>Orvo Wendra आइकन</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>उत्पाद का नाम</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>संस्करण</translation>
    </message>
    <message>
        <source>Rights notice</source>
        <translation>अधिकार सूचना</translation>
    </message>
    <message>
        <source>© 2026 Orvo. All rights reserved.</source>
        <translation>© 2026 Orvo. सर्वाधिकार सुरक्षित।</translation>
    </message>
    <message>
        <source>Orvo Wendra - Customer Plugin</source>
        <translation>Orvo Wendra - Customer Plugin</translation>
    </message>
    <message>
        <source>version - %1</source>
        <translation>संस्करण - %1</translation>
    </message>
</context>
<context>
    <name>JoinProgressWindow</name>
    <message>
        <source>Orvo Wendra - CustomerPlugin</source>
        <translation>Orvo Wendra - CustomerPlugin</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>प्रगति</translation>
    </message>
    <message>
        <source>Please wait while establishing connection ...</source>
        <translation>कृपया प्रतीक्षा करें, कनेक्शन बनाया जा रहा है...</translation>
    </message>
    <message>
        <source>Progress of the join</source>
        <translation type="vanished">जुड़ने की प्रगति</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>फिर से कोशिश करें</translation>
    </message>
    <message>
        <source>Runs the step that failed again</source>
        <translation>विफल हुए चरण को फिर से चलाता है</translation>
    </message>
    <message>
        <source>Checking with the Orvo Wendra service ...</source>
        <translation>Orvo Wendra सेवा से जाँच की जा रही है...</translation>
    </message>
    <message>
        <source>Downloading the support app ...</source>
        <translation>सहायता ऐप डाउनलोड हो रहा है...</translation>
    </message>
    <message>
        <source>Installing the support app ...</source>
        <translation>सहायता ऐप इंस्टॉल हो रहा है...</translation>
    </message>
    <message>
        <source>Starting the support app ...</source>
        <translation>सहायता ऐप शुरू हो रहा है...</translation>
    </message>
    <message>
        <source>Connection lost, trying again in %1 s...</source>
        <extracomment>%1 is a number of seconds.</extracomment>
        <translation>कनेक्शन टूट गया, %1 सेकंड में फिर से कोशिश होगी...</translation>
    </message>
    <message>
        <source>Downloading the support app: </source>
        <translation>सहायता ऐप डाउनलोड हो रहा है: </translation>
    </message>
</context>
<context>
    <name>OrvoAppUpgrader</name>
    <message>
        <source>The Orvo Wendra service could not be reached or gave no usable answer. Check your internet connection, then press Retry.</source>
        <translation>Orvo Wendra सेवा से संपर्क नहीं हो सका या उससे काम का जवाब नहीं मिला। अपना इंटरनेट कनेक्शन जाँचें, फिर “फिर से कोशिश करें” दबाएँ।</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>सहायता ऐप शुरू नहीं हो सका। “फिर से कोशिश करें” दबाएँ; अगर फिर से ऐसा हो, तो अपने तकनीशियन को बताएँ।</translation>
    </message>
    <message>
        <source>The proxy server %1 refused the connection: it needs a user name and password that were not given or not accepted. Check your proxy settings, then press Retry.</source>
        <extracomment>%1 is the proxy&apos;s host:port.</extracomment>
        <translation>प्रॉक्सी सर्वर %1 ने कनेक्शन अस्वीकार कर दिया: उसे उपयोगकर्ता नाम और पासवर्ड चाहिए, जो दिए नहीं गए या स्वीकार नहीं हुए। अपनी प्रॉक्सी सेटिंग जाँचें, फिर “फिर से कोशिश करें” दबाएँ।</translation>
    </message>
</context>
<context>
    <name>OrvoDmgDownloader</name>
    <message>
        <source>The support app&apos;s package could not be opened. Press Retry; if it happens again, tell your technician.</source>
        <translation>सहायता ऐप का पैकेज नहीं खुल सका। “फिर से कोशिश करें” दबाएँ; अगर फिर से ऐसा हो, तो अपने तकनीशियन को बताएँ।</translation>
    </message>
    <message>
        <source>An older copy of the support app is in the way and could not be replaced. Quit the support app if it is running, then press Retry.</source>
        <translation>सहायता ऐप की एक पुरानी कॉपी रास्ते में है और बदली नहीं जा सकी। अगर सहायता ऐप चल रहा है तो उसे बंद करें, फिर “फिर से कोशिश करें” दबाएँ।</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>सहायता ऐप शुरू नहीं हो सका। “फिर से कोशिश करें” दबाएँ; अगर फिर से ऐसा हो, तो अपने तकनीशियन को बताएँ।</translation>
    </message>
    <message>
        <source>The downloaded support app did not pass its safety check and was not installed. Press Retry to download it again.</source>
        <translation>डाउनलोड किया गया सहायता ऐप सुरक्षा जाँच में पास नहीं हुआ और इंस्टॉल नहीं किया गया। इसे फिर से डाउनलोड करने के लिए “फिर से कोशिश करें” दबाएँ।</translation>
    </message>
    <message>
        <source>The support app could not be installed on this Mac. Free some disk space, then press Retry.</source>
        <translation>सहायता ऐप इस Mac पर इंस्टॉल नहीं हो सका। डिस्क पर कुछ जगह खाली करें, फिर “फिर से कोशिश करें” दबाएँ।</translation>
    </message>
    <message>
        <source>The support app&apos;s package is still open from an earlier attempt. Press Retry; if it happens again, restart this Mac.</source>
        <translation>सहायता ऐप का पैकेज पिछली कोशिश से अब भी खुला है। “फिर से कोशिश करें” दबाएँ; अगर फिर से ऐसा हो, तो इस Mac को रीस्टार्ट करें।</translation>
    </message>
    <message>
        <source>The service could not provide the support app (error %1). Press Retry; if it happens again, tell your technician.</source>
        <translation>सेवा सहायता ऐप नहीं दे सकी (त्रुटि %1)। “फिर से कोशिश करें” दबाएँ; अगर फिर से ऐसा हो, तो अपने तकनीशियन को बताएँ।</translation>
    </message>
    <message>
        <source>The support app could not be saved on this Mac. Free some disk space, then press Retry.</source>
        <translation>सहायता ऐप इस Mac पर सहेजा नहीं जा सका। डिस्क पर कुछ जगह खाली करें, फिर “फिर से कोशिश करें” दबाएँ।</translation>
    </message>
    <message>
        <source>The download of the support app stalled. Check your internet connection, then press Retry.</source>
        <translation>सहायता ऐप का डाउनलोड रुक गया। अपना इंटरनेट कनेक्शन जाँचें, फिर “फिर से कोशिश करें” दबाएँ।</translation>
    </message>
    <message>
        <source>The support app&apos;s download location could not be trusted. Press Retry; if it happens again, tell your technician.</source>
        <translation>सहायता ऐप के डाउनलोड के स्थान पर भरोसा नहीं किया जा सका। “फिर से कोशिश करें” दबाएँ; अगर फिर से ऐसा हो, तो अपने तकनीशियन को बताएँ।</translation>
    </message>
    <message>
        <source>The download of the support app was interrupted. Check your internet connection, then press Retry.</source>
        <translation>सहायता ऐप का डाउनलोड बीच में रुक गया। अपना इंटरनेट कनेक्शन जाँचें, फिर “फिर से कोशिश करें” दबाएँ।</translation>
    </message>
</context>
<context>
    <name>OrvoPluginWindowHandler</name>
    <message>
        <source>Orvo Wendra Customer Plugin</source>
        <translation>Orvo Wendra Customer Plugin</translation>
    </message>
    <message>
        <source>Join a remote support session with the session ID your technician gave you.</source>
        <translation>अपने तकनीशियन से मिली सत्र ID से रिमोट सहायता सत्र में जुड़ें।</translation>
    </message>
    <message>
        <source>Join a support session</source>
        <translation>सहायता सत्र में जुड़ें</translation>
    </message>
    <message>
        <source>About this plugin</source>
        <translation>इस प्लगइन के बारे में</translation>
    </message>
    <message>
        <source>About</source>
        <translation>परिचय</translation>
    </message>
    <message>
        <source>Shows the plugin version and its rights notice.</source>
        <translation>प्लगइन का संस्करण और उसकी अधिकार सूचना दिखाता है।</translation>
    </message>
    <message>
        <source>Enter Session ID</source>
        <translation>सत्र ID डालें</translation>
    </message>
    <message>
        <source>Session ID</source>
        <translation>सत्र ID</translation>
    </message>
    <message>
        <source>The 9 or 10 digit session ID your technician gave you.</source>
        <translation>आपके तकनीशियन से मिली 9 या 10 अंकों की सत्र ID।</translation>
    </message>
    <message>
        <source>Required</source>
        <translation>आवश्यक</translation>
    </message>
    <message>
        <source>The session ID must be filled in.</source>
        <translation>सत्र ID भरना ज़रूरी है।</translation>
    </message>
    <message>
        <source>Session ID underline</source>
        <translation>सत्र ID की रेखा</translation>
    </message>
    <message>
        <source>Session ID underline, editing</source>
        <translation>सत्र ID की रेखा, लिखते समय</translation>
    </message>
    <message>
        <source>Session ID message</source>
        <translation>सत्र ID संदेश</translation>
    </message>
    <message>
        <source>Says what is wrong with the session ID.</source>
        <translation>बताता है कि सत्र ID में क्या गलत है।</translation>
    </message>
    <message>
        <source>Enter your name</source>
        <translation>अपना नाम डालें</translation>
    </message>
    <message>
        <source>Your name</source>
        <translation>आपका नाम</translation>
    </message>
    <message>
        <source>The name the technician sees for you, up to 40 characters.</source>
        <translation>तकनीशियन को दिखने वाला आपका नाम, 40 अक्षरों तक।</translation>
    </message>
    <message>
        <source>Your name must be filled in.</source>
        <translation>आपका नाम भरना ज़रूरी है।</translation>
    </message>
    <message>
        <source>Name underline</source>
        <translation>नाम की रेखा</translation>
    </message>
    <message>
        <source>Name underline, editing</source>
        <translation>नाम की रेखा, लिखते समय</translation>
    </message>
    <message>
        <source>Name message</source>
        <translation>नाम संदेश</translation>
    </message>
    <message>
        <source>Says what is wrong with the name.</source>
        <translation>बताता है कि नाम में क्या गलत है।</translation>
    </message>
    <message>
        <source>Join Session</source>
        <translation>सत्र में जुड़ें</translation>
    </message>
    <message>
        <source>Joins the session with the session ID and name above.</source>
        <translation>ऊपर दी गई सत्र ID और नाम से सत्र में जुड़ता है।</translation>
    </message>
    <message>
        <source>Trust notice</source>
        <translation>भरोसे की सूचना</translation>
    </message>
    <message>
        <source>Join only with people you recognize and trust. The Report abuse link opens the abuse report page in your browser.</source>
        <translation>सिर्फ़ उन लोगों के साथ जुड़ें जिन्हें आप जानते हैं और जिन पर भरोसा करते हैं। “दुरुपयोग की शिकायत करें” लिंक आपके ब्राउज़र में शिकायत का पेज खोलता है।</translation>
    </message>
    <message>
        <source>Disclosure notice</source>
        <translation>जानकारी साझा करने की सूचना</translation>
    </message>
    <message>
        <source>Do not disclose passwords, card or bank details or other sensitive information during a session.</source>
        <translation>सत्र के दौरान पासवर्ड, कार्ड या बैंक की जानकारी या कोई दूसरी संवेदनशील जानकारी न बताएँ।</translation>
    </message>
    <message>
        <source>*Mandatory field</source>
        <translation>*ज़रूरी फ़ील्ड</translation>
    </message>
    <message>
        <source>The session ID is invalid.Verify session ID with your technician again.</source>
        <translation>सत्र ID सही नहीं है। अपने तकनीशियन से सत्र ID फिर से पूछकर जाँचें।</translation>
    </message>
    <message>
        <source>Join remote support session only with people you recognize and trust. Report abuse</source>
        <extracomment>Ends with the text of &quot;Report abuse&quot;, which becomes the link.</extracomment>
        <translation>रिमोट सहायता सत्र में सिर्फ़ उन लोगों के साथ जुड़ें जिन्हें आप जानते हैं और जिन पर भरोसा करते हैं। दुरुपयोग की शिकायत करें</translation>
    </message>
    <message>
        <source>Report abuse</source>
        <extracomment>The link at the end of the trust notice.</extracomment>
        <translation>दुरुपयोग की शिकायत करें</translation>
    </message>
    <message>
        <source>Do not disclose your passwords, credit card/bank details or any other sensitive information during a session.</source>
        <translation>सत्र के दौरान अपने पासवर्ड, क्रेडिट कार्ड/बैंक की जानकारी या कोई दूसरी संवेदनशील जानकारी न बताएँ।</translation>
    </message>
</context>
</TS>
