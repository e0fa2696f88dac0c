<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ar">
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
        <translation>%1 / %2 (%3%)</translation>
    </message>
</context>
<context>
    <name>InfoWindowHandler</name>
    <message>
        <source>About</source>
        <translation>حول</translation>
    </message>
    <message>
        <source>About Orvo Wendra Customer Plugin</source>
        <translation>حول Orvo Wendra Customer Plugin</translation>
    </message>
    <message>
        <source>Product name, version and rights notice.</source>
        <translation>اسم المنتج والإصدار وإشعار الحقوق.</translation>
    </message>
    <message>
        <source>Orvo Wendra icon</source>
        <translation>أيقونة Orvo Wendra</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>اسم المنتج</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>الإصدار</translation>
    </message>
    <message>
        <source>Rights notice</source>
        <translation>إشعار الحقوق</translation>
    </message>
    <message>
        <source>© 2026 Orvo. All rights reserved.</source>
        <translation>‏© 2026 Orvo. جميع الحقوق محفوظة.</translation>
    </message>
    <message>
        <source>Orvo Wendra - Customer Plugin</source>
        <translation>Orvo Wendra - Customer Plugin</translation>
    </message>
    <message>
        <source>version - %1</source>
        <translation>الإصدار - %1</translation>
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
        <translation>التقدّم</translation>
    </message>
    <message>
        <source>Please wait while establishing connection ...</source>
        <translation>يُرجى الانتظار حتى يتم الاتصال...</translation>
    </message>
    <message>
        <source>Progress of the join</source>
        <translation type="vanished">تقدّم الانضمام</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>إعادة المحاولة</translation>
    </message>
    <message>
        <source>Runs the step that failed again</source>
        <translation>يعيد تنفيذ الخطوة التي فشلت</translation>
    </message>
    <message>
        <source>Checking with the Orvo Wendra service ...</source>
        <translation>جارٍ التحقق مع خدمة Orvo Wendra...</translation>
    </message>
    <message>
        <source>Downloading the support app ...</source>
        <translation>جارٍ تنزيل تطبيق الدعم...</translation>
    </message>
    <message>
        <source>Installing the support app ...</source>
        <translation>جارٍ تثبيت تطبيق الدعم...</translation>
    </message>
    <message>
        <source>Starting the support app ...</source>
        <translation>جارٍ تشغيل تطبيق الدعم...</translation>
    </message>
    <message>
        <source>Connection lost, trying again in %1 s...</source>
        <extracomment>%1 is a number of seconds.</extracomment>
        <translation>انقطع الاتصال، ستتم المحاولة مجددًا خلال %1 ثانية...</translation>
    </message>
    <message>
        <source>Downloading the support app: </source>
        <translation>جارٍ تنزيل تطبيق الدعم: </translation>
    </message>
</context>
<context>
    <name>OrvoAppUpgrader</name>
    <message>
        <source>The Orvo Wendra service could not be reached or gave no usable answer. Check your internet connection, then press Retry.</source>
        <translation>تعذّر الوصول إلى خدمة Orvo Wendra أو لم تُرسل ردًا صالحًا. تحقّق من اتصالك بالإنترنت، ثم اضغط «إعادة المحاولة».</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>تعذّر تشغيل تطبيق الدعم. اضغط «إعادة المحاولة»، وإذا تكرّر ذلك فأخبر الفنيّ الذي يساعدك.</translation>
    </message>
    <message>
        <source>The proxy server %1 refused the connection: it needs a user name and password that were not given or not accepted. Check your proxy settings, then press Retry.</source>
        <extracomment>%1 is the proxy&apos;s host:port.</extracomment>
        <translation>رفض الخادم الوكيل %1 الاتصال: فهو يطلب اسم مستخدم وكلمة مرور لم يتم إدخالهما أو لم يتم قبولهما. تحقّق من إعدادات الخادم الوكيل، ثم اضغط «إعادة المحاولة».</translation>
    </message>
</context>
<context>
    <name>OrvoDmgDownloader</name>
    <message>
        <source>The support app&apos;s package could not be opened. Press Retry; if it happens again, tell your technician.</source>
        <translation>تعذّر فتح حزمة تطبيق الدعم. اضغط «إعادة المحاولة»، وإذا تكرّر ذلك فأخبر الفنيّ الذي يساعدك.</translation>
    </message>
    <message>
        <source>An older copy of the support app is in the way and could not be replaced. Quit the support app if it is running, then press Retry.</source>
        <translation>توجد نسخة أقدم من تطبيق الدعم تعذّر استبدالها. إذا كان تطبيق الدعم يعمل فأغلقه، ثم اضغط «إعادة المحاولة».</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>تعذّر تشغيل تطبيق الدعم. اضغط «إعادة المحاولة»، وإذا تكرّر ذلك فأخبر الفنيّ الذي يساعدك.</translation>
    </message>
    <message>
        <source>The downloaded support app did not pass its safety check and was not installed. Press Retry to download it again.</source>
        <translation>لم يجتز تطبيق الدعم الذي تم تنزيله فحص الأمان ولم يُثبَّت. اضغط «إعادة المحاولة» لتنزيله من جديد.</translation>
    </message>
    <message>
        <source>The support app could not be installed on this Mac. Free some disk space, then press Retry.</source>
        <translation>تعذّر تثبيت تطبيق الدعم على جهاز Mac هذا. أفرِغ بعض المساحة على القرص، ثم اضغط «إعادة المحاولة».</translation>
    </message>
    <message>
        <source>The support app&apos;s package is still open from an earlier attempt. Press Retry; if it happens again, restart this Mac.</source>
        <translation>لا تزال حزمة تطبيق الدعم مفتوحة من محاولة سابقة. اضغط «إعادة المحاولة»، وإذا تكرّر ذلك فأعد تشغيل جهاز Mac هذا.</translation>
    </message>
    <message>
        <source>The service could not provide the support app (error %1). Press Retry; if it happens again, tell your technician.</source>
        <translation>تعذّر على الخدمة توفير تطبيق الدعم (الخطأ %1). اضغط «إعادة المحاولة»، وإذا تكرّر ذلك فأخبر الفنيّ الذي يساعدك.</translation>
    </message>
    <message>
        <source>The support app could not be saved on this Mac. Free some disk space, then press Retry.</source>
        <translation>تعذّر حفظ تطبيق الدعم على جهاز Mac هذا. أفرِغ بعض المساحة على القرص، ثم اضغط «إعادة المحاولة».</translation>
    </message>
    <message>
        <source>The download of the support app stalled. Check your internet connection, then press Retry.</source>
        <translation>توقّف تنزيل تطبيق الدعم. تحقّق من اتصالك بالإنترنت، ثم اضغط «إعادة المحاولة».</translation>
    </message>
    <message>
        <source>The support app&apos;s download location could not be trusted. Press Retry; if it happens again, tell your technician.</source>
        <translation>تعذّر الوثوق بموقع تنزيل تطبيق الدعم. اضغط «إعادة المحاولة»، وإذا تكرّر ذلك فأخبر الفنيّ الذي يساعدك.</translation>
    </message>
    <message>
        <source>The download of the support app was interrupted. Check your internet connection, then press Retry.</source>
        <translation>انقطع تنزيل تطبيق الدعم. تحقّق من اتصالك بالإنترنت، ثم اضغط «إعادة المحاولة».</translation>
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
        <translation>انضم إلى جلسة دعم عن بُعد باستخدام معرّف الجلسة الذي أعطاك إياه الفني.</translation>
    </message>
    <message>
        <source>Join a support session</source>
        <translation>الانضمام إلى جلسة دعم</translation>
    </message>
    <message>
        <source>About this plugin</source>
        <translation>حول هذه الإضافة</translation>
    </message>
    <message>
        <source>About</source>
        <translation>حول</translation>
    </message>
    <message>
        <source>Shows the plugin version and its rights notice.</source>
        <translation>يعرض إصدار الإضافة وإشعار حقوقها.</translation>
    </message>
    <message>
        <source>Enter Session ID</source>
        <translation>أدخل معرّف الجلسة</translation>
    </message>
    <message>
        <source>Session ID</source>
        <translation>معرّف الجلسة</translation>
    </message>
    <message>
        <source>The 9 or 10 digit session ID your technician gave you.</source>
        <translation>معرّف الجلسة المكوّن من 9 أو 10 أرقام الذي أعطاك إياه الفني.</translation>
    </message>
    <message>
        <source>Required</source>
        <translation>مطلوب</translation>
    </message>
    <message>
        <source>The session ID must be filled in.</source>
        <translation>يجب إدخال معرّف الجلسة.</translation>
    </message>
    <message>
        <source>Session ID underline</source>
        <translation>خط أسفل معرّف الجلسة</translation>
    </message>
    <message>
        <source>Session ID underline, editing</source>
        <translation>خط أسفل معرّف الجلسة، أثناء الكتابة</translation>
    </message>
    <message>
        <source>Session ID message</source>
        <translation>رسالة معرّف الجلسة</translation>
    </message>
    <message>
        <source>Says what is wrong with the session ID.</source>
        <translation>يوضّح ما الخطأ في معرّف الجلسة.</translation>
    </message>
    <message>
        <source>Enter your name</source>
        <translation>أدخل اسمك</translation>
    </message>
    <message>
        <source>Your name</source>
        <translation>اسمك</translation>
    </message>
    <message>
        <source>The name the technician sees for you, up to 40 characters.</source>
        <translation>الاسم الذي يراه الفني لك، حتى 40 حرفًا.</translation>
    </message>
    <message>
        <source>Your name must be filled in.</source>
        <translation>يجب إدخال اسمك.</translation>
    </message>
    <message>
        <source>Name underline</source>
        <translation>خط أسفل الاسم</translation>
    </message>
    <message>
        <source>Name underline, editing</source>
        <translation>خط أسفل الاسم، أثناء الكتابة</translation>
    </message>
    <message>
        <source>Name message</source>
        <translation>رسالة الاسم</translation>
    </message>
    <message>
        <source>Says what is wrong with the name.</source>
        <translation>يوضّح ما الخطأ في الاسم.</translation>
    </message>
    <message>
        <source>Join Session</source>
        <translation>انضمام إلى الجلسة</translation>
    </message>
    <message>
        <source>Joins the session with the session ID and name above.</source>
        <translation>ينضم إلى الجلسة بمعرّف الجلسة والاسم المذكورين أعلاه.</translation>
    </message>
    <message>
        <source>Trust notice</source>
        <translation>تنبيه الثقة</translation>
    </message>
    <message>
        <source>Join only with people you recognize and trust. The Report abuse link opens the abuse report page in your browser.</source>
        <translation>انضم فقط مع أشخاص تعرفهم وتثق بهم. يفتح رابط «الإبلاغ عن إساءة» صفحة الإبلاغ في متصفحك.</translation>
    </message>
    <message>
        <source>Disclosure notice</source>
        <translation>تنبيه الإفصاح</translation>
    </message>
    <message>
        <source>Do not disclose passwords, card or bank details or other sensitive information during a session.</source>
        <translation>لا تكشف كلمات المرور أو بيانات البطاقة أو البنك أو أي معلومات حساسة أخرى أثناء الجلسة.</translation>
    </message>
    <message>
        <source>*Mandatory field</source>
        <translation>*حقل مطلوب</translation>
    </message>
    <message>
        <source>The session ID is invalid.Verify session ID with your technician again.</source>
        <translation>معرّف الجلسة غير صالح. تأكّد من معرّف الجلسة مع الفني مرة أخرى.</translation>
    </message>
    <message>
        <source>Join remote support session only with people you recognize and trust. Report abuse</source>
        <extracomment>Ends with the text of &quot;Report abuse&quot;, which becomes the link.</extracomment>
        <translation>انضم إلى جلسة الدعم عن بُعد فقط مع أشخاص تعرفهم وتثق بهم. الإبلاغ عن إساءة</translation>
    </message>
    <message>
        <source>Report abuse</source>
        <extracomment>The link at the end of the trust notice.</extracomment>
        <translation>الإبلاغ عن إساءة</translation>
    </message>
    <message>
        <source>Do not disclose your passwords, credit card/bank details or any other sensitive information during a session.</source>
        <translation>لا تكشف كلمات مرورك أو بيانات بطاقتك الائتمانية أو حسابك البنكي أو أي معلومات حساسة أخرى أثناء الجلسة.</translation>
    </message>
</context>
</TS>
